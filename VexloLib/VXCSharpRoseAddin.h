// The C# add-in inside Rational Rose: at activation it finds its host add-in
// entry and adds "Generate Code" to two of the host's context menus; choosing that
// item runs the generation command.
#pragma once

#include "VXCSharpAddIn.h"

class CVXCSharpRoseAddin : public CVXCSharpAddIn
{
public:
    static LmLib::CLmPtr<CVXCSharpRoseAddin> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXCSharpRoseAddin(const CVXParentPtr& parent, IDispatch* object);
    ~CVXCSharpRoseAddin() override;

    void OnActivate(LmLib::CLmPtr<CVXApplication> application) override;
    void OnDeactivate(LmLib::CLmPtr<CVXApplication> application) override;
    // Runs OnGenerateCode for "CODEGEN" (exact); ignores every other name.
    void OnSelectedContextMenuItem(LmLib::CLmPtr<CVXApplication> application,
                                   LmLib::Values::CLmBSTR internalName) override;
};
