// The Delphi add-in inside Rational Rose: at activation it finds its host add-in
// entry and adds "Generate Code" to two of the host's context menus; choosing that
// item runs the generation command.
#pragma once

#include "VXDelphiAddin.h"

class CVXDelphiRoseAddin : public CVXDelphiAddin
{
public:
    static LmLib::CLmPtr<CVXDelphiRoseAddin> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXDelphiRoseAddin(const CVXParentPtr& parent, IDispatch* object);
    ~CVXDelphiRoseAddin() override;

    void OnActivate(LmLib::CLmPtr<CVXApplication> application) override;
    void OnDeactivate(LmLib::CLmPtr<CVXApplication> application) override;
    // Runs OnGenerateCode for "CODEGEN" (exact); ignores every other name.
    void OnSelectedContextMenuItem(LmLib::CLmPtr<CVXApplication> application,
                                   LmLib::Values::CLmBSTR internalName) override;
};
