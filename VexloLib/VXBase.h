// Wrappers that exist also without a host object: the application, tool properties
// and the collections. Such a wrapper with no object is never asked to call the host;
// if it were, the call would fail with E_POINTER.
#pragma once

#include "VXCommon.h"

class CVXBase : public CVXCommon
{
public:
    CVXBase(const CVXParentPtr& parent, IDispatch* object);
    ~CVXBase() override;

    // Always true.
    bool Initialize(CVXParentPtr parent) override;
};
