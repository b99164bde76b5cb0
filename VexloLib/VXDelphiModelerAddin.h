// The Delphi add-in inside Microsoft Visual Modeler: the host's own code generation
// command is the only way in, so activation and the context menus do nothing.
#pragma once

#include "VXDelphiAddin.h"

class CVXDelphiModelerAddin : public CVXDelphiAddin
{
public:
    static LmLib::CLmPtr<CVXDelphiModelerAddin> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXDelphiModelerAddin(const CVXParentPtr& parent, IDispatch* object);
    ~CVXDelphiModelerAddin() override;

    // Nothing: the add-in is never associated with a host add-in entry here.
    void OnActivate(LmLib::CLmPtr<CVXApplication> application) override;
    void OnDeactivate(LmLib::CLmPtr<CVXApplication> application) override;
};
