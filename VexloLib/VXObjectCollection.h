// Base of the collections whose elements are host objects.
#pragma once

#include "VXCollection.h"

class CVXObjectCollection : public CVXCollection
{
public:
    CVXObjectCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXObjectCollection() override;
};
