#include "VXRoseDelphiAddin.h"

#include "VXDelphiModelerAddin.h"
#include "VXDelphiRoseAddin.h"

using LmLib::Values::CLmBSTR;
using LmLib::CLmPtr;
using LmLib::Object::CLmObject;

CVXRoseDelphiAddin::CVXRoseDelphiAddin(IUnknown* outer) : CVXRoseAddinImpl(outer)
{
}

CVXRoseDelphiAddin::~CVXRoseDelphiAddin() = default;

HRESULT CVXRoseDelphiAddin::FinalConstruct()
{
    LM_TRY
    {
        CLmPtr<CLmObject> addin = CreateAddin();
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
