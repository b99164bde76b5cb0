#include "VXDelphiAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXDelphiAddin::CVXDelphiAddin(const CLmPtr<CLmRefsObject>& parent, IDispatch* object) : CVXAddin(parent, object) {}

CVXDelphiAddin::~CVXDelphiAddin() = default;

CLmBSTR CVXDelphiAddin::GetLanguageName()
{
    LM_TRY
    {
        return CLmBSTR(L"Delphi");
    }
    LM_END_TRY
}
