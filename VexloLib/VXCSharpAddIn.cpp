#include "VXCSharpAddIn.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXCSharpAddIn::CVXCSharpAddIn(const CLmPtr<CLmRefsObject>& parent, IDispatch* object) : CVXAddin(parent, object) {}

CVXCSharpAddIn::~CVXCSharpAddIn() = default;

CLmBSTR CVXCSharpAddIn::GetLanguageName()
{
    LM_TRY
    {
        return CLmBSTR(L"C#");
    }
    LM_END_TRY
}
