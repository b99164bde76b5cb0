// Wrappers that exist only with a host object: Create with no object gives an empty
// pointer.
#pragma once

#include "VXCommon.h"

class CVXObject : public CVXCommon
{
public:
    CVXObject(const CVXParentPtr& parent, IDispatch* object);
    ~CVXObject() override;

    void OnDestroy() override;
};
