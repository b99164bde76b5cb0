// The C# add-in inside Microsoft Visual Modeler: the host's own code generation
// command is the only way in, so activation and the context menus do nothing.
#pragma once

#include "VXCSharpAddIn.h"

class CVXCSharpModelerAddin : public CVXCSharpAddIn
{
public:
    static LmLib::CLmPtr<CVXCSharpModelerAddin> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXCSharpModelerAddin(const CVXParentPtr& parent, IDispatch* object);
    ~CVXCSharpModelerAddin() override;

    // Nothing: the add-in is never associated with a host add-in entry here.
    void OnActivate(LmLib::CLmPtr<CVXApplication> application) override;
    void OnDeactivate(LmLib::CLmPtr<CVXApplication> application) override;
};
