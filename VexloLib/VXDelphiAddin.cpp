#include "VXDelphiAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CVXDelphiAddin::CVXDelphiAddin(const CVXParentPtr& parent, IDispatch* object) : CVXAddin(parent, object) {}

CVXDelphiAddin::~CVXDelphiAddin() = default;

void CVXDelphiAddin::OnGenerateCode(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        GenerateSelection(application);
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAddin::GetLanguageName()
{
    LM_TRY
    {
        return CLmBSTR(L"Delphi");
    }
    LM_END_TRY
}
