// A loadable module whose entry point reports, through the environment, how it
// was called; PosixTests loads and unloads it.
#include "vxplat/Kernel.h"
#include "vxplat/Module.h"

#include <cstdio>
#include <cstdlib>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s %p", reason == DLL_PROCESS_ATTACH   ? "attach"
                                              : reason == DLL_PROCESS_DETACH ? "detach"
                                                                             : "other",
                  static_cast<void*>(instance));
    setenv(reason == DLL_PROCESS_ATTACH ? "VXP_TEST_MODULE_ATTACH" : "VXP_TEST_MODULE_DETACH", text, 1);
    return TRUE;
}

VXP_DLL_ENTRY_POINT(DllMain)

extern "C" VXP_EXPORT int VxpTestModuleAnswer() { return 42; }

extern "C" int VxpTestModuleHidden() { return 0; }
