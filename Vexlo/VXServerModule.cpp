#include "VXServerModule.h"

#include "VXClassFactory.h"
#include "VXRegistrar.h"
#include "VexloIds.h"

#include <vxplat/Crt.h>
#include <vxplat/Kernel.h>
#include <vxplat/TypeLib.h>

#include <cwctype>
#include <new>

namespace
{
    // What registering the type library records about it.
    const VxpTypeLibInterface kTypeLibInterfaces[] = {
        {L"IVXRoseDelphiAddin", &IID_IVXRoseDelphiAddin},
        {L"IVXRoseCSharpAddin", &IID_IVXRoseCSharpAddin},
        {L"_IVXRoseDelphiAddinEvents", &DIID__IVXRoseDelphiAddinEvents},
        {L"_IVXRoseCSharpAddinEvents", &DIID__IVXRoseCSharpAddinEvents},
    };
    const VxpTypeLibInfo kTypeLib = {&LIBID_VexloLib,         VEXLO_TYPELIB_MAJOR, VEXLO_TYPELIB_MINOR,
                                     L"Vexlo 1.0 Type Library", kTypeLibInterfaces, 4};
}

CVXServerModule& VXModule()
{
    // A function-local static: the module is needed already while the loader runs
    // the entry point among the static constructors.
    static CVXServerModule module;
    return module;
}

CVXServerModule::CVXServerModule()
    : m_LockCount(0), m_Instance(nullptr), m_Map(nullptr), m_MapCount(0), m_Factories(nullptr)
{
}

CVXServerModule::~CVXServerModule()
{
    Term();
}

void CVXServerModule::Init(const VXObjectMapEntry* map, UINT count, HINSTANCE instance)
{
    Term();
    m_Map = map;
    m_MapCount = count;
    m_Instance = instance;
    m_Factories = new (std::nothrow) IClassFactory*[count]();
}

void CVXServerModule::Term()
{
    if (m_Factories)
    {
        for (UINT i = 0; i < m_MapCount; ++i)
        {
            if (m_Factories[i])
                m_Factories[i]->Release();
        }
        delete[] m_Factories;
        m_Factories = nullptr;
    }
    m_Map = nullptr;
    m_MapCount = 0;
}

void CVXServerModule::InstallHooks()
{
    // Loading goes on whatever happens here: a hook is a convenience, not a need.
    try
    {
        if (!m_MessageHook)
        {
            m_MessageHook = CVXFinalMessageHookModeler::Create(nullptr);
            if (m_MessageHook)
                m_MessageHook->Install();
        }
        if (!m_ResourceHook)
        {
            m_ResourceHook = CVXResourceHookModeler::Create(nullptr);
            if (m_ResourceHook)
                m_ResourceHook->Install();
        }
    }
    catch (...)
    {
    }
}

void CVXServerModule::RemoveHooks()
{
    try
    {
        if (m_MessageHook)
        {
            m_MessageHook->Remove();
            m_MessageHook = nullptr;
        }
        if (m_ResourceHook)
        {
            m_ResourceHook->Remove();
            m_ResourceHook = nullptr;
        }
    }
    catch (...)
    {
    }
}

LONG CVXServerModule::Lock()
{
    return InterlockedIncrement(&m_LockCount);
}

LONG CVXServerModule::Unlock()
{
    return InterlockedDecrement(&m_LockCount);
}

LONG CVXServerModule::GetLockCount() const
{
    return m_LockCount;
}

HINSTANCE CVXServerModule::GetModuleInstance() const
{
    return m_Instance;
}

HRESULT CVXServerModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (UINT i = 0; i < m_MapCount; ++i)
    {
        if (!IsEqualCLSID(*m_Map[i].clsid, rclsid))
            continue;
        if (!m_Factories)
            return E_OUTOFMEMORY;
        if (!m_Factories[i])
        {
            m_Factories[i] = CVXClassFactory::Create(m_Map[i].create);
            if (!m_Factories[i])
                return E_OUTOFMEMORY;
        }
        return m_Factories[i]->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CVXServerModule::CanUnloadNow() const
{
    return m_LockCount == 0 ? S_OK : S_FALSE;
}

HRESULT CVXServerModule::RegisterServer()
{
    HRESULT hr = UpdateRegistry(true);
    if (FAILED(hr))
        return hr;
    return VxpRegisterTypeLib(m_Instance, kTypeLib);
}

HRESULT CVXServerModule::UnregisterServer()
{
    HRESULT hr = UpdateRegistry(false);
    if (FAILED(hr))
        return hr;
    return VxpUnRegisterTypeLib(m_Instance, kTypeLib);
}

HRESULT CVXServerModule::UpdateRegistry(bool doRegister)
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(m_Instance, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)
        return E_FAIL;
    for (UINT i = 0; i < m_MapCount; ++i)
    {
        CVXRegistrar registrar;
        registrar.AddReplacement(L"MODULE", path);
        HRESULT hr = registrar.RunResource(m_Instance, m_Map[i].registryResource, L"REGISTRY", doRegister);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

bool CVXServerModule::IsRoseExecutable(const wchar_t* path)
{
    if (!path)
        return false;
    size_t length = wcslen(path);
    const wchar_t* tail = length > 8 ? path + length - 8 : path;
    wchar_t lower[9] = {};
    for (size_t i = 0; i < 8 && tail[i]; ++i)
        lower[i] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(tail[i])));
    return wcscmp(lower, L"rose.exe") == 0;
}

bool CVXServerModule::IsRoseHost()
{
    wchar_t path[261] = {};
    GetModuleFileNameW(nullptr, path, 261);
    return IsRoseExecutable(path);
}
