// Wiring of a shared module: its entry point and its exports.
//
//   extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID);
//   VXP_DLL_ENTRY_POINT(DllMain)
//   extern "C" VXP_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow();
//
// Windows calls DllMain itself and a .def file names the exports, so both macros
// are empty there. Elsewhere VXP_DLL_ENTRY_POINT calls the function with
// DLL_PROCESS_ATTACH when the module is loaded and DLL_PROCESS_DETACH when it is
// unloaded, passing the module's own handle (the one LoadLibraryW returns for it).
// DllMain then runs among the module's static constructors, so it must not rely
// on globals of other source files (function-local statics are fine).
#pragma once

#include "vxplat/Types.h"

#ifdef _WIN32

#define VXP_EXPORT
#define VXP_DLL_ENTRY_POINT(fn)

#else

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define VXP_EXPORT __attribute__((visibility("default")))

// The handle of the loaded module that contains the given address (NULL for the
// executable itself).
HMODULE VxpModuleFromAddress(const void* address);

typedef BOOL (*VxpDllMainFunction)(HINSTANCE, DWORD, LPVOID);

class VxpDllEntryPoint {
public:
    explicit VxpDllEntryPoint(VxpDllMainFunction fn)
        : m_fn(fn), m_module(VxpModuleFromAddress(reinterpret_cast<const void*>(fn)))
    {
        m_fn(m_module, DLL_PROCESS_ATTACH, nullptr);
    }
    ~VxpDllEntryPoint() { m_fn(m_module, DLL_PROCESS_DETACH, nullptr); }
    VxpDllEntryPoint(const VxpDllEntryPoint&) = delete;
    VxpDllEntryPoint& operator=(const VxpDllEntryPoint&) = delete;

private:
    VxpDllMainFunction m_fn;
    HMODULE m_module;
};

#define VXP_DLL_ENTRY_POINT(fn) \
    namespace { VxpDllEntryPoint vxpDllEntryPointOf_##fn(&fn); }

#endif
