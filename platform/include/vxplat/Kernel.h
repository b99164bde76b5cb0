// Kernel services: recursive critical sections, interlocked counts, tick count,
// debugger output, last error, modules and their file names.
#pragma once

#include "vxplat/Types.h"

#ifdef _WIN32

// Sets what GetModuleFileNameW(NULL) reports. Windows always reports the real
// executable, so this returns false and changes nothing there.
bool VxpSetProcessImagePath(const wchar_t* path);

#else

#include <pthread.h>

// As on Windows, a thread that already owns the section only counts the entry. The
// outermost entry takes LockState (0 free, 1 held, 2 held with waiters; waiters sleep on
// it as a futex), so an uncontended entry and leave are one atomic instruction each,
// inline, without a call. OwningThread is read by other threads without the lock
// (atomically): only the owner ever stores its own id there.
typedef struct _RTL_CRITICAL_SECTION {
    LONG LockState;
    unsigned long OwningThread;
    LONG RecursionCount;
} CRITICAL_SECTION, *LPCRITICAL_SECTION, *PCRITICAL_SECTION;

// The calling thread's id as the sections record it: its thread pointer, which is what
// pthread_self() returns, read without a call.
inline unsigned long VxpCurrentThreadTag()
{
#if defined(__has_builtin) && __has_builtin(__builtin_thread_pointer)
    return reinterpret_cast<unsigned long>(__builtin_thread_pointer());
#else
    return static_cast<unsigned long>(pthread_self());
#endif
}

// The contended halves: wait until the section is free and take it; wake one waiter.
void VxpWaitCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void VxpWakeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

inline void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs)
{
    const unsigned long self = VxpCurrentThreadTag();
    if (__atomic_load_n(&cs->OwningThread, __ATOMIC_RELAXED) == self) {
        ++cs->RecursionCount;
        return;
    }
    LONG expected = 0;
    if (!__atomic_compare_exchange_n(&cs->LockState, &expected, 1, false, __ATOMIC_ACQUIRE, __ATOMIC_RELAXED))
        VxpWaitCriticalSection(cs);
    __atomic_store_n(&cs->OwningThread, self, __ATOMIC_RELAXED);
    cs->RecursionCount = 1;
}

inline void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs)
{
    if (--cs->RecursionCount > 0)
        return;
    __atomic_store_n(&cs->OwningThread, 0UL, __ATOMIC_RELAXED);
    if (__atomic_exchange_n(&cs->LockState, 0, __ATOMIC_RELEASE) != 1)
        VxpWakeCriticalSection(cs);
}

inline LONG InterlockedIncrement(LONG volatile* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedDecrement(LONG volatile* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedExchange(LONG volatile* p, LONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
inline LONG InterlockedExchangeAdd(LONG volatile* p, LONG v) { return __atomic_fetch_add(p, v, __ATOMIC_SEQ_CST); }
inline LONG InterlockedCompareExchange(LONG volatile* p, LONG exchange, LONG comparand)
{
    __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}

DWORD WINAPI GetTickCount();
ULONGLONG WINAPI GetTickCount64();
void WINAPI Sleep(DWORD dwMilliseconds);
DWORD WINAPI GetCurrentThreadId();
DWORD WINAPI GetCurrentProcessId();

// Debugger output goes to standard error, and only when VEXLO_DEBUG is set.
void WINAPI OutputDebugStringW(LPCWSTR lpOutputString);
void WINAPI OutputDebugStringA(LPCSTR lpOutputString);

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);

// Module handles are the dynamic loader's handles. NULL stands for the executable.
HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// The names of the system DLLs this layer stands for ("kernel32", "user32.dll", ...)
// give the handle of the layer's own library.
HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

// Sets what GetModuleFileNameW(NULL) reports, in the program and in every module it
// loads (a host stand-in poses as another executable); NULL restores the real path.
// Returns true.
bool VxpSetProcessImagePath(const wchar_t* path);

#endif
