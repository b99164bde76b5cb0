#include "VXCSharpRoseAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXCSharpRoseAddin::CVXCSharpRoseAddin(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
    : CVXCSharpAddIn(parent, object)
{
}

CVXCSharpRoseAddin::~CVXCSharpRoseAddin() = default;

CLmPtr<CVXCSharpRoseAddin> CVXCSharpRoseAddin::Create(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpRoseAddin>(parent, object);
    }
    LM_END_TRY
}
