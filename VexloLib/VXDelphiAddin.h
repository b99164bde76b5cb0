// The Delphi add-in object. Its generation command serves both languages: a selection
// holding Delphi and C# elements is generated whole from either add-in.
#pragma once

#include "VXAddin.h"

class CVXDelphiAddin : public CVXAddin
{
public:
    CVXDelphiAddin(const CVXParentPtr& parent, IDispatch* object);
    ~CVXDelphiAddin() override;

    void OnGenerateCode(LmLib::CLmPtr<CVXApplication> application) override;
    LmLib::Values::CLmBSTR GetLanguageName() override;
};
