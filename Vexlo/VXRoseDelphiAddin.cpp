#include "VXRoseDelphiAddin.h"

#include "VXDelphiModelerAddin.h"
#include "VXDelphiRoseAddin.h"

using LmLib::Values::CLmBSTR;
using LmLib::CLmPtr;
using LmLib::Object::CLmObject;
using LmLib::Object::CLmRefsObject;

CVXRoseDelphiAddin::CVXRoseDelphiAddin(IUnknown* outer) : CVXRoseAddinImpl(outer)
{
}

CVXRoseDelphiAddin::~CVXRoseDelphiAddin() = default;

const IID& CVXRoseDelphiAddin::InterfaceId()
{
    return IID_IVXRoseDelphiAddin;
}

const VxpDispTable& CVXRoseDelphiAddin::DispTable()
{
    static const VxpDispMethod methods[] = {
        {L"OnActivate", 1, 1, kVXApplicationParam, kVXApplicationParamNames,
         VXP_DISP_CALL(&IVXRoseDelphiAddin::OnActivate)},
        {L"OnDeactivate", 2, 1, kVXApplicationParam, kVXApplicationParamNames,
         VXP_DISP_CALL(&IVXRoseDelphiAddin::OnDeactivate)},
        {L"OnGenerateCode", 3, 1, kVXApplicationParam, kVXApplicationParamNames,
         VXP_DISP_CALL(&IVXRoseDelphiAddin::OnGenerateCode)},
        {L"OnSelectedContextMenuItem", 4, 2, kVXMenuItemParams, kVXMenuItemParamNames,
         VXP_DISP_CALL(&IVXRoseDelphiAddin::OnSelectedContextMenuItem)},
        {L"OnEnableContextMenuItems", 5, 2, kVXItemTypeParams, kVXItemTypeParamNames,
         VXP_DISP_CALL(&IVXRoseDelphiAddin::OnEnableContextMenuItems)},
    };
    static const VxpDispTable table = {methods, 5};
    return table;
}

HRESULT CVXRoseDelphiAddin::FinalConstruct()
{
    LM_TRY
    {
        CLmPtr<CLmObject> addin;
        if (CVXServerModule::IsRoseHost())
            addin = CVXDelphiRoseAddin::Create(CLmPtr<CLmRefsObject>(), GetSelfDispatch());
        else
            addin = CVXDelphiModelerAddin::Create(CLmPtr<CLmRefsObject>(), GetSelfDispatch());
        LM_CHECK_POINTER(addin.Get(), L"addin");
        SetObject(addin);
    }
    LM_END_TRY_REPORT
}

CLmPtr<CVXDelphiAddin> CVXRoseDelphiAddin::GetAddin()
{
    LM_TRY
    {
        CLmPtr<CVXDelphiAddin> addin = GetObject();
        LM_CHECK_POINTER(addin.GetTyped(), L"addin");
        return addin;
    }
    LM_END_TRY
}

STDMETHODIMP CVXRoseDelphiAddin::OnActivate(IRoseApplication** oRoseApplication)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        GetAddin()->OnActivate(application);
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseDelphiAddin::OnDeactivate(IRoseApplication** oRoseApplication)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        GetAddin()->OnDeactivate(application);
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseDelphiAddin::OnGenerateCode(IRoseApplication** oRoseApplication)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        GetAddin()->OnGenerateCode(application);
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseDelphiAddin::OnSelectedContextMenuItem(IRoseApplication** oRoseApplication, BSTR* InternalName)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        LM_CHECK_POINTER(InternalName, L"InternalName");
        GetAddin()->OnSelectedContextMenuItem(application, CLmBSTR(*InternalName));
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseDelphiAddin::OnEnableContextMenuItems(IRoseApplication** oRoseApplication, short* itemType)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        LM_CHECK_POINTER(itemType, L"itemType");
        GetAddin()->OnEnableContextMenuItems(application, *itemType);
    }
    LM_END_TRY_REPORT
}
