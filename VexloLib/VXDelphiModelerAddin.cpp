#include "VXDelphiModelerAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXDelphiModelerAddin::CVXDelphiModelerAddin(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
    : CVXDelphiAddin(parent, object)
{
}

CVXDelphiModelerAddin::~CVXDelphiModelerAddin() = default;

CLmPtr<CVXDelphiModelerAddin> CVXDelphiModelerAddin::Create(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiModelerAddin>(parent, object);
    }
    LM_END_TRY
}
