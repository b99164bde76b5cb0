#include "VXRoseCSharpAddin.h"

#include "VXCSharpModelerAddin.h"
#include "VXCSharpRoseAddin.h"

using LmLib::Values::CLmBSTR;
using LmLib::CLmPtr;
using LmLib::Object::CLmObject;
using LmLib::Object::CLmRefsObject;

CVXRoseCSharpAddin::CVXRoseCSharpAddin(IUnknown* outer) : CVXRoseAddinImpl(outer)
{
}

CVXRoseCSharpAddin::~CVXRoseCSharpAddin() = default;

const IID& CVXRoseCSharpAddin::InterfaceId()
{
    return IID_IVXRoseCSharpAddin;
}

const VxpDispTable& CVXRoseCSharpAddin::DispTable()
{
    static const VxpDispMethod methods[] = {
        {L"OnActivate", 1, 1, kVXApplicationParam, kVXApplicationParamNames,
         VXP_DISP_CALL(&IVXRoseCSharpAddin::OnActivate)},
        {L"OnDeactivate", 2, 1, kVXApplicationParam, kVXApplicationParamNames,
         VXP_DISP_CALL(&IVXRoseCSharpAddin::OnDeactivate)},
        {L"OnGenerateCode", 3, 1, kVXApplicationParam, kVXApplicationParamNames,
         VXP_DISP_CALL(&IVXRoseCSharpAddin::OnGenerateCode)},
        {L"OnSelectedContextMenuItem", 4, 2, kVXMenuItemParams, kVXMenuItemParamNames,
         VXP_DISP_CALL(&IVXRoseCSharpAddin::OnSelectedContextMenuItem)},
        {L"OnEnableContextMenuItems", 5, 2, kVXItemTypeParams, kVXItemTypeParamNames,
         VXP_DISP_CALL(&IVXRoseCSharpAddin::OnEnableContextMenuItems)},
    };
    static const VxpDispTable table = {methods, 5};
    return table;
}

HRESULT CVXRoseCSharpAddin::FinalConstruct()
{
    LM_TRY
    {
        CLmPtr<CLmObject> addin;
        if (CVXServerModule::IsRoseHost())
            addin = CVXCSharpRoseAddin::Create(CLmPtr<CLmRefsObject>(), GetSelfDispatch());
        else
            addin = CVXCSharpModelerAddin::Create(CLmPtr<CLmRefsObject>(), GetSelfDispatch());
        LM_CHECK_POINTER(addin.Get(), L"addin");
        SetObject(addin);
    }
    LM_END_TRY_REPORT
}

CLmPtr<CVXCSharpAddIn> CVXRoseCSharpAddin::GetAddin()
{
    LM_TRY
    {
        CLmPtr<CVXCSharpAddIn> addin = GetObject();
        LM_CHECK_POINTER(addin.GetTyped(), L"addin");
        return addin;
    }
    LM_END_TRY
}

STDMETHODIMP CVXRoseCSharpAddin::OnActivate(IRoseApplication** oRoseApplication)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        GetAddin()->OnActivate(application);
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseCSharpAddin::OnDeactivate(IRoseApplication** oRoseApplication)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        GetAddin()->OnDeactivate(application);
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseCSharpAddin::OnGenerateCode(IRoseApplication** oRoseApplication)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        GetAddin()->OnGenerateCode(application);
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseCSharpAddin::OnSelectedContextMenuItem(IRoseApplication** oRoseApplication, BSTR* InternalName)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        LM_CHECK_POINTER(InternalName, L"InternalName");
        GetAddin()->OnSelectedContextMenuItem(application, CLmBSTR(*InternalName));
    }
    LM_END_TRY_REPORT
}

STDMETHODIMP CVXRoseCSharpAddin::OnEnableContextMenuItems(IRoseApplication** oRoseApplication, short* itemType)
{
    LM_TRY
    {
        CLmPtr<CVXApplication> application = WrapApplication(oRoseApplication);
        LM_CHECK_POINTER(itemType, L"itemType");
        GetAddin()->OnEnableContextMenuItems(application, *itemType);
    }
    LM_END_TRY_REPORT
}
