#include "VXDelphiRoseAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXDelphiRoseAddin::CVXDelphiRoseAddin(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
    : CVXDelphiAddin(parent, object)
{
}

CVXDelphiRoseAddin::~CVXDelphiRoseAddin() = default;

CLmPtr<CVXDelphiRoseAddin> CVXDelphiRoseAddin::Create(const CLmPtr<CLmRefsObject>& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiRoseAddin>(parent, object);
    }
    LM_END_TRY
}
