#include "VXDelphiRoseAddin.h"

#include "LmTranslate.h"
#include "VXContextMenuItem.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

namespace
{
    const wchar_t kCaption[] = L"Generate Code";
    const wchar_t kInternalName[] = L"CODEGEN";
    // The host's context menus that get the item; the numbers are the host's.
    const short kMenuTypes[] = {4, 7};
}

CLmPtr<CVXDelphiRoseAddin> CVXDelphiRoseAddin::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiRoseAddin>(parent, object);
    }
    LM_END_TRY
}

CVXDelphiRoseAddin::CVXDelphiRoseAddin(const CVXParentPtr& parent, IDispatch* object) : CVXDelphiAddin(parent, object) {}

CVXDelphiRoseAddin::~CVXDelphiRoseAddin() = default;

void CVXDelphiRoseAddin::OnActivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        CVXDelphiAddin::OnActivate(application);
        // The items stay registered in the host; their wrappers are not needed.
        for (short menuType : kMenuTypes)
            AddContextMenuItem(menuType, CLmBSTR(kCaption), CLmBSTR(kInternalName));
    }
    LM_END_TRY
}

void CVXDelphiRoseAddin::OnDeactivate(CLmPtr<CVXApplication> application)
{
    LM_TRY
    {
        CVXDelphiAddin::OnDeactivate(application);
    }
    LM_END_TRY
}

void CVXDelphiRoseAddin::OnSelectedContextMenuItem(CLmPtr<CVXApplication> application, CLmBSTR internalName)
{
    LM_TRY
    {
        if (internalName == kInternalName)
            OnGenerateCode(application);
    }
    LM_END_TRY
}
