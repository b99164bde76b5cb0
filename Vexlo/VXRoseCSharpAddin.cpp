#include "VXRoseCSharpAddin.h"

#include "VXCSharpModelerAddin.h"
#include "VXCSharpRoseAddin.h"

using LmLib::Values::CLmBSTR;
using LmLib::CLmPtr;
using LmLib::Object::CLmObject;

CVXRoseCSharpAddin::CVXRoseCSharpAddin(IUnknown* outer) : CVXRoseAddinImpl(outer)
{
}

CVXRoseCSharpAddin::~CVXRoseCSharpAddin() = default;

HRESULT CVXRoseCSharpAddin::FinalConstruct()
{
    LM_TRY
    {
        CLmPtr<CLmObject> addin = CreateAddin();
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
