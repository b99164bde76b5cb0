#include "VXDelphiModelerAddin.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;

CLmPtr<CVXDelphiModelerAddin> CVXDelphiModelerAddin::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiModelerAddin>(parent, object);
    }
    LM_END_TRY
}

CVXDelphiModelerAddin::CVXDelphiModelerAddin(const CVXParentPtr& parent, IDispatch* object) : CVXDelphiAddin(parent, object) {}

CVXDelphiModelerAddin::~CVXDelphiModelerAddin() = default;

void CVXDelphiModelerAddin::OnActivate(CLmPtr<CVXApplication>) {}

void CVXDelphiModelerAddin::OnDeactivate(CLmPtr<CVXApplication>) {}
