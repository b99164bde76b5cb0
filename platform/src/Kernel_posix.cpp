// Kernel services over pthreads, the monotonic clock and the dynamic loader.
#include "vxplat/Kernel.h"

#include "PosixText.h"
#include "vxplat/Module.h"

#include <dlfcn.h>
#include <linux/futex.h>
#include <link.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

// In the threads' static block, as the programs are linked against this layer.
__attribute__((tls_model("initial-exec"))) thread_local DWORD t_lastError = 0;

std::mutex g_imageMutex;
std::wstring g_imagePathOverride;
bool g_hasImagePathOverride = false;

std::wstring ExecutablePath()
{
    {
        std::lock_guard<std::mutex> lock(g_imageMutex);
        if (g_hasImagePathOverride) return g_imagePathOverride;
    }
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::wstring();
    return vxp::FromUtf8(buf, static_cast<size_t>(n));
}

std::wstring ModulePath(HMODULE module)
{
    if (!module) return ExecutablePath();
    struct link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return std::wstring();
    if (!map->l_name || !*map->l_name) return ExecutablePath();  // the main program
    return vxp::FromUtf8(map->l_name, std::strlen(map->l_name));
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    cs->LockState = 0;
    cs->OwningThread = 0;
    cs->RecursionCount = 0;
}

void VxpWaitCriticalSection(LPCRITICAL_SECTION cs)
{
    // Mark the section contended before sleeping, so that its holder's leave wakes us;
    // whoever takes it this way keeps the mark, as other waiters may still sleep.
    while (__atomic_exchange_n(&cs->LockState, 2, __ATOMIC_ACQUIRE) != 0)
        syscall(SYS_futex, &cs->LockState, FUTEX_WAIT_PRIVATE, 2, nullptr, nullptr, 0);
}

void VxpWakeCriticalSection(LPCRITICAL_SECTION cs)
{
    syscall(SYS_futex, &cs->LockState, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs)
{
    const unsigned long self = VxpCurrentThreadTag();
    if (__atomic_load_n(&cs->OwningThread, __ATOMIC_RELAXED) == self) {
        ++cs->RecursionCount;
        return TRUE;
    }
    LONG expected = 0;
    if (!__atomic_compare_exchange_n(&cs->LockState, &expected, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        return FALSE;
    __atomic_store_n(&cs->OwningThread, self, __ATOMIC_RELAXED);
    cs->RecursionCount = 1;
    return TRUE;
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION) {}

ULONGLONG WINAPI GetTickCount64()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

void WINAPI Sleep(DWORD ms)
{
    timespec ts;
    ts.tv_sec = ms / 1000;
    ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

DWORD WINAPI GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

void WINAPI OutputDebugStringA(LPCSTR text)
{
    if (!text || !std::getenv("VEXLO_DEBUG")) return;
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void WINAPI OutputDebugStringW(LPCWSTR text)
{
    if (!text || !std::getenv("VEXLO_DEBUG")) return;
    std::string utf8 = vxp::ToUtf8(text, std::wcslen(text));
    std::fputs(utf8.c_str(), stderr);
    std::fflush(stderr);
}

DWORD WINAPI GetLastError() { return t_lastError; }

void WINAPI SetLastError(DWORD code) { t_lastError = code; }

HMODULE WINAPI LoadLibraryW(LPCWSTR name)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string path;
    std::wstring wide(name);
    if (wide.find(L'\\') != std::wstring::npos || wide.find(L'/') != std::wstring::npos)
        path = vxp::ResolvePath(name);
    else
        path = vxp::ToUtf8(wide);  // a bare name is looked up by the loader
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (const char* why = dlerror()) OutputDebugStringA(why), OutputDebugStringA("\n");
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(handle);
}

HMODULE WINAPI LoadLibraryA(LPCSTR name)
{
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::wstring wide = vxp::FromUtf8(name, std::strlen(name));
    return LoadLibraryW(wide.c_str());
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    void* handle = module ? static_cast<void*>(module) : dlopen(nullptr, RTLD_NOW);
    void* symbol = name ? dlsym(handle, name) : nullptr;
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (!module || dlclose(module) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// The Windows system DLLs whose functions this layer provides: their names stand
// for this layer's own library, so that a module looked up as "user32" or
// "kernel32.dll" exports what the system DLL would.
static bool IsSystemModuleName(const std::wstring& name)
{
    static const wchar_t* const names[] = {L"kernel32", L"user32", L"advapi32", L"ole32", L"oleaut32"};
    for (const wchar_t* system : names) {
        std::wstring plain(system);
        if (vxp::EqualNoCase(name, plain) || vxp::EqualNoCase(name, plain + L".dll")) return true;
    }
    return false;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR name)
{
    if (!name) return static_cast<HMODULE>(dlopen(nullptr, RTLD_NOW));
    if (IsSystemModuleName(name)) return VxpModuleFromAddress(reinterpret_cast<const void*>(&GetModuleHandleW));
    std::string path = vxp::ToUtf8(name, std::wcslen(name));
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    dlclose(handle);  // GetModuleHandle takes no reference
    return static_cast<HMODULE>(handle);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (!name) return GetModuleHandleW(nullptr);
    std::wstring wide = vxp::FromUtf8(name, std::strlen(name));
    return GetModuleHandleW(wide.c_str());
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    std::wstring path = ModulePath(module);
    if (path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!buffer || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        // Truncated and terminated, reporting the buffer size, as Windows does.
        path.copy(buffer, size - 1);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    path.copy(buffer, path.size());
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE) { return TRUE; }  // no thread notifications here anyway

bool VxpSetProcessImagePath(const wchar_t* path)
{
    std::lock_guard<std::mutex> lock(g_imageMutex);
    g_hasImagePathOverride = path != nullptr;
    g_imagePathOverride = path ? path : L"";
    return true;
}
