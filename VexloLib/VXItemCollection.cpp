#include "VXItemCollection.h"

CVXItemCollection::CVXItemCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXObjectCollection(parent, object)
{
}

CVXItemCollection::~CVXItemCollection() = default;
