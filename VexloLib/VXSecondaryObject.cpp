#include "VXSecondaryObject.h"

CVXSecondaryObject::CVXSecondaryObject(const CVXParentPtr& parent, IDispatch* object) : CVXObject(parent, object) {}

CVXSecondaryObject::~CVXSecondaryObject() = default;
