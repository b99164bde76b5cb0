#include "VXCSharpModelerAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXCSharpModelerAddin::CVXCSharpModelerAddin(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
    : CVXCSharpAddIn(parent, object)
{
}

CVXCSharpModelerAddin::~CVXCSharpModelerAddin() = default;

CLmPtr<CVXCSharpModelerAddin> CVXCSharpModelerAddin::Create(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpModelerAddin>(parent, object);
    }
    LM_END_TRY
}
