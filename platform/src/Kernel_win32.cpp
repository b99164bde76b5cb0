#include "vxplat/Kernel.h"

bool VxpSetProcessImagePath(const wchar_t*) { return false; }  // Windows reports the real executable

#if defined(__i386__)
// The shipped 32-bit DLL must load on Windows XP, which has no GetTickCount64. The
// threads library of the toolchain calls it (for timed waits, which the system never
// makes); its import slot is filled here with the same count taken from the
// performance counter, which XP has. The platform's CMakeLists makes the linker take
// this definition before the system's import library.
namespace {

ULONGLONG WINAPI TickCount64()
{
    LARGE_INTEGER frequency, counter;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&counter) || frequency.QuadPart <= 0)
        return GetTickCount();
    const ULONGLONG f = static_cast<ULONGLONG>(frequency.QuadPart);
    const ULONGLONG c = static_cast<ULONGLONG>(counter.QuadPart);
    return c / f * 1000u + c % f * 1000u / f;
}

}  // namespace

extern "C" {
ULONGLONG(WINAPI* vxpImportGetTickCount64)() __asm__("__imp__GetTickCount64@0") = &TickCount64;
}
#endif
