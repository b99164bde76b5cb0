// The host's application object (IRoseApplication). Exists also without a host
// object; such a wrapper is never asked to call the host.
#pragma once

#include "VXBase.h"

#include "LmBSTR.h"

class CVXAddinManager;
class CVXModel;

class CVXApplication : public CVXBase
{
public:
    static LmLib::CLmPtr<CVXApplication> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXApplication(const CVXParentPtr& parent, IDispatch* object);
    ~CVXApplication() override;

    // Always true.
    bool Initialize(CVXParentPtr parent) override;
    // The host shows message in its log window.
    virtual void WriteErrorLog(const LmLib::Values::CLmBSTR& message);
    virtual CVXHostInterface GetIRoseApplication();
    virtual LmLib::CLmPtr<CVXModel> GetCurrentModel();
    virtual LmLib::CLmPtr<CVXAddinManager> GetAddInManager();
};
