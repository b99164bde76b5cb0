// The C# add-in object. Its generation command serves both languages: a selection
// holding Delphi and C# elements is generated whole from either add-in.
#pragma once

#include "VXAddin.h"

class CVXCSharpAddIn : public CVXAddin
{
public:
    CVXCSharpAddIn(const CVXParentPtr& parent, IDispatch* object);
    ~CVXCSharpAddIn() override;

    void OnActivate(LmLib::CLmPtr<CVXApplication> application) override;
    void OnDeactivate(LmLib::CLmPtr<CVXApplication> application) override;
    LmLib::CLmPtr<CVXContextMenuItem> AddContextMenuItem(short itemType, LmLib::Values::CLmBSTR fullCaption,
                                                         LmLib::Values::CLmBSTR internalName) override;
    void OnGenerateCode(LmLib::CLmPtr<CVXApplication> application) override;
    LmLib::Values::CLmBSTR GetLanguageName() override;
};
