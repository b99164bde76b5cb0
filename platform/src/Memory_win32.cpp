#include "vxplat/Memory.h"

SIZE_T VxpAllocationGranularity()
{
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwAllocationGranularity;
}
