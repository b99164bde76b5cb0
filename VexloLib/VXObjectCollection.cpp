#include "VXObjectCollection.h"

CVXObjectCollection::CVXObjectCollection(const CVXParentPtr& parent, IDispatch* object) : CVXCollection(parent, object)
{
}

CVXObjectCollection::~CVXObjectCollection() = default;
