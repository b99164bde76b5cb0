// The module's resource table (see vxplat/Resource.h).
#include "vxplat/Resource.h"

#include "vxplat/Crt.h"
#include "vxplat/Kernel.h"

#include <mutex>
#include <vector>

namespace {

struct Block {
    const VxpResource* resources;
    size_t count;
};

// Function-local statics: resources are registered by static constructors of other
// files, whose order is not known.
std::mutex& TableLock()
{
    static std::mutex lock;
    return lock;
}
std::vector<Block>& Table()
{
    static std::vector<Block> table;
    return table;
}

// The integer behind MAKEINTRESOURCEW(n) or "#n"; -1 for a string name.
long IntegerId(LPCWSTR id)
{
    if (IS_INTRESOURCE(id)) return static_cast<long>(reinterpret_cast<ULONG_PTR>(id));
    if (id[0] != L'#' || id[1] == 0) return -1;
    long value = 0;
    for (const wchar_t* p = id + 1; *p; ++p) {
        if (*p < L'0' || *p > L'9' || value > 0xFFFF) return -1;
        value = value * 10 + (*p - L'0');
    }
    return value <= 0xFFFF ? value : -1;
}

bool SameId(LPCWSTR a, LPCWSTR b)
{
    long ia = IntegerId(a);
    long ib = IntegerId(b);
    if (ia >= 0 || ib >= 0) return ia == ib;
    return _wcsicmp(a, b) == 0;
}

}  // namespace

void VxpAddResources(const VxpResource* resources, size_t count)
{
    std::lock_guard<std::mutex> guard(TableLock());
    Table().push_back(Block{resources, count});
}

void VxpRemoveResources(const VxpResource* resources)
{
    std::lock_guard<std::mutex> guard(TableLock());
    auto& table = Table();
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (it->resources == resources) {
            table.erase(it);
            return;
        }
    }
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    return FindResourceExW(hModule, lpType, lpName, 0);
}

HRSRC WINAPI FindResourceExW(HMODULE, LPCWSTR lpType, LPCWSTR lpName, WORD)
{
    if (!lpType || !lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(TableLock());
    for (const Block& block : Table()) {
        for (size_t i = 0; i < block.count; ++i) {
            const VxpResource& r = block.resources[i];
            if (SameId(r.type, lpType) && SameId(r.name, lpName))
                return reinterpret_cast<HRSRC>(const_cast<VxpResource*>(&r));
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC hResInfo)
{
    if (!hResInfo) return nullptr;
    return const_cast<void*>(reinterpret_cast<const VxpResource*>(hResInfo)->data);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC hResInfo)
{
    return hResInfo ? reinterpret_cast<const VxpResource*>(hResInfo)->size : 0;
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }
