// The module's entry point and its four exports.
#include "VXObjectMap.h"
#include "VXServerModule.h"

#include <vxplat/Kernel.h>
#include <vxplat/Module.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    CVXServerModule& module = VXModule();
    if (reason == DLL_PROCESS_ATTACH)
    {
        module.InstallHooks();
        module.Init(g_VXObjectMap, g_VXObjectMapCount, instance);
        DisableThreadLibraryCalls(instance);
    }
    else if (reason == DLL_PROCESS_DETACH)
    {
        module.RemoveHooks();
        module.Term();
    }
    return TRUE;
}

VXP_DLL_ENTRY_POINT(DllMain)

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return VXModule().CanUnloadNow();
}

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return VXModule().GetClassObject(rclsid, riid, ppv);
}

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return VXModule().RegisterServer();
}

extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return VXModule().UnregisterServer();
}
