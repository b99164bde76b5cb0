#include "vxplat/Module.h"

#include <dlfcn.h>
#include <link.h>

HMODULE VxpModuleFromAddress(const void* address)
{
    Dl_info info;
    if (!dladdr(address, &info) || !info.dli_fname) return nullptr;
    void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle) return nullptr;
    struct link_map* map = nullptr;
    bool isMain = dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && (!map->l_name || !*map->l_name);
    // The handle stays valid while the module is loaded; keeping the extra
    // reference would stop it from ever being unloaded.
    dlclose(handle);
    return isMain ? nullptr : static_cast<HMODULE>(handle);
}
