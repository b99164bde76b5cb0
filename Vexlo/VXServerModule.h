// The server module: lock count, module handle, object map with cached class
// factories, registration and the integration hook slots.
#pragma once

#include "LmObject.h"
#include "VXFinalMessageHookModeler.h"
#include "VXResourceHookModeler.h"

#include <vxplat/Com.h>

// Creates one instance of a class: outer unknown (may be null), interface, result.
typedef HRESULT (*VXCreatorFunction)(IUnknown* outer, REFIID riid, void** ppv);

struct VXObjectMapEntry
{
    const CLSID* clsid;
    UINT registryResource;  // the class's registry script, resource type "REGISTRY"
    VXCreatorFunction create;
};

class CVXServerModule
{
public:
    CVXServerModule();
    ~CVXServerModule();
    CVXServerModule(const CVXServerModule&) = delete;
    CVXServerModule& operator=(const CVXServerModule&) = delete;

    // Process attach: the object map and the module's instance handle.
    void Init(const VXObjectMapEntry* map, UINT count, HINSTANCE instance);
    // Process detach: drops the cached class factories.
    void Term();

    LONG Lock();
    LONG Unlock();
    LONG GetLockCount() const;
    HINSTANCE GetModuleInstance() const;

    HRESULT GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
    HRESULT CanUnloadNow() const;
    // Runs every class's registry script (in map order) and registers the type library.
    HRESULT RegisterServer();
    // Runs every class's registry script in unregister mode and unregisters the type library.
    HRESULT UnregisterServer();

    // Whether the executable's path ends in "rose.exe" in any mix of case: the host
    // is Rational Rose rather than Microsoft Visual Modeler.
    static bool IsRoseExecutable(const wchar_t* path);
    // The same for the executable of the current process.
    static bool IsRoseHost();

    // Process attach, before Init: creates and installs each integration hook whose
    // slot is empty (message hook first). A hook that fails to install stays in its
    // slot and changes nothing.
    void InstallHooks();
    // Process detach, before Term: removes each hook (message hook first) and empties
    // its slot.
    void RemoveHooks();

    // The integration hooks of the Visual Modeler host.
    LmLib::CLmPtr<CVXFinalMessageHookModeler> m_MessageHook;
    LmLib::CLmPtr<CVXResourceHookModeler> m_ResourceHook;

private:
    HRESULT UpdateRegistry(bool doRegister);

    LONG m_LockCount;
    HINSTANCE m_Instance;
    const VXObjectMapEntry* m_Map;
    UINT m_MapCount;
    IClassFactory** m_Factories;  // one cached factory per map entry, made on first request
};

// The one module object of this server.
CVXServerModule& VXModule();
