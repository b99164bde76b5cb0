#include "VXCollection.h"

CVXCollection::CVXCollection(const CVXParentPtr& parent, IDispatch* object) : CVXBase(parent, object) {}

CVXCollection::~CVXCollection() = default;
