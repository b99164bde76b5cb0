// A host object that is not a model element (a rich-type value, for one).
#pragma once

#include "VXObject.h"

class CVXSecondaryObject : public CVXObject
{
public:
    CVXSecondaryObject(const CVXParentPtr& parent, IDispatch* object);
    ~CVXSecondaryObject() override;
};
