// Page protection and allocation over mmap/mprotect.
#include "vxplat/Memory.h"

#include "vxplat/Kernel.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

std::mutex g_allocationsMutex;
std::map<uintptr_t, size_t> g_allocations;  // what VirtualAlloc mapped, for VirtualFree

uintptr_t PageSize() { return static_cast<uintptr_t>(sysconf(_SC_PAGESIZE)); }

int ToPosix(DWORD protect)
{
    switch (protect & 0xFF) {
    case PAGE_NOACCESS: return PROT_NONE;
    case PAGE_READONLY: return PROT_READ;
    case PAGE_READWRITE:
    case PAGE_WRITECOPY: return PROT_READ | PROT_WRITE;
    case PAGE_EXECUTE: return PROT_EXEC;
    case PAGE_EXECUTE_READ: return PROT_READ | PROT_EXEC;
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY: return PROT_READ | PROT_WRITE | PROT_EXEC;
    default: return -1;
    }
}

DWORD FromPosix(bool r, bool w, bool x)
{
    if (x) return w ? PAGE_EXECUTE_READWRITE : r ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
    return w ? PAGE_READWRITE : r ? PAGE_READONLY : PAGE_NOACCESS;
}

// The protection of the mapping that holds the address, from /proc/self/maps;
// false when no mapping holds it.
bool CurrentProtection(uintptr_t address, DWORD* protect)
{
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps) return false;
    bool found = false;
    char line[512];
    while (!found && std::fgets(line, sizeof line, maps)) {
        unsigned long long from = 0, to = 0;
        char perms[5] = {};
        if (std::sscanf(line, "%llx-%llx %4s", &from, &to, perms) != 3) continue;
        if (address >= from && address < to) {
            *protect = FromPosix(perms[0] == 'r', perms[1] == 'w', perms[2] == 'x');
            found = true;
        }
    }
    std::fclose(maps);
    return found;
}

}  // namespace

BOOL WINAPI VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect)
{
    int prot = ToPosix(newProtect);
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    DWORD previous = 0;
    if (!address || size == 0 || !oldProtect || prot < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!CurrentProtection(at, &previous)) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    uintptr_t first = at & ~(PageSize() - 1);
    uintptr_t end = (at + size + PageSize() - 1) & ~(PageSize() - 1);
    if (mprotect(reinterpret_cast<void*>(first), end - first, prot) != 0) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    *oldProtect = previous;
    return TRUE;
}

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect)
{
    int prot = ToPosix(protect);
    if (size == 0 || prot < 0 || !(type & (MEM_COMMIT | MEM_RESERVE))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    uintptr_t page = PageSize();
    size = (size + page - 1) & ~(page - 1);
    void* wanted = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~(page - 1));
    int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_FIXED_NOREPLACE
    if (wanted) flags |= MAP_FIXED_NOREPLACE;
#endif
    if (type & MEM_RESERVE && !(type & MEM_COMMIT)) prot = PROT_NONE;
    void* result = mmap(wanted, size, prot, flags, -1, 0);
    if (result == MAP_FAILED) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return nullptr;
    }
    if (wanted && result != wanted) {  // a kernel that took the address as a mere hint
        munmap(result, size);
        SetLastError(ERROR_INVALID_ADDRESS);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(g_allocationsMutex);
    g_allocations[reinterpret_cast<uintptr_t>(result)] = size;
    return result;
}

BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type)
{
    std::lock_guard<std::mutex> lock(g_allocationsMutex);
    auto it = g_allocations.find(reinterpret_cast<uintptr_t>(address));
    if (it == g_allocations.end() || type != MEM_RELEASE || size != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    munmap(address, it->second);
    g_allocations.erase(it);
    return TRUE;
}
