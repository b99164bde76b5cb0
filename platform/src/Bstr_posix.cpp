// Automation strings: the byte count sits in the 4 bytes before the text and a
// terminator follows it, so a BSTR is also an ordinary wide C string.
#include "vxplat/Com.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
// The text starts after the prefix; keep it aligned for wchar_t.
constexpr size_t kHeader = kPrefix < alignof(wchar_t) ? alignof(wchar_t) : kPrefix;

// Short strings are what the add-in and the host hand each other on nearly every call
// (names, property values) and they live for one call, so, as OLE keeps a string cache,
// freed blocks of up to 256 bytes are kept per thread, by size class of 32 bytes, for the
// next string of their class. A sanitizer build keeps none, so that it sees every misuse.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kCacheClasses = 0;
#else
constexpr size_t kCacheClasses = 8;
#endif
constexpr size_t kClassBytes = 32;
constexpr unsigned kKeepPerClass = 64;

struct FreeBlock {
    FreeBlock* next;
};
// Plain thread data (valid until the thread is gone); the reaper empties it when the
// thread ends, after which blocks are freed at once.
struct BlockCache {
    FreeBlock* lists[kCacheClasses > 0 ? kCacheClasses : 1];
    unsigned counts[kCacheClasses > 0 ? kCacheClasses : 1];
    bool reaperSet;
    bool reaped;
};
// The programs that use this layer are linked against it, so its thread data can sit in
// the threads' static block: reached without a call to the dynamic loader.
__attribute__((tls_model("initial-exec"))) thread_local BlockCache t_cache;

struct Reaper {
    ~Reaper()
    {
        for (FreeBlock*& list : t_cache.lists)
            while (FreeBlock* block = list) {
                list = block->next;
                std::free(block);
            }
        t_cache.reaped = true;
    }
};

bool Kept(size_t total) { return total <= kCacheClasses * kClassBytes; }
// The size class of a kept block of `total` bytes.
size_t ClassOf(size_t total) { return (total - 1) / kClassBytes; }

void* TakeBlock(size_t total)
{
    if (!Kept(total))
        return std::malloc(total);
    const size_t c = ClassOf(total);
    if (FreeBlock* block = t_cache.lists[c]) {
        t_cache.lists[c] = block->next;
        --t_cache.counts[c];
        return block;
    }
    return std::malloc((c + 1) * kClassBytes);
}

void GiveBlock(void* block, size_t total)
{
    if (!Kept(total) || t_cache.reaped || t_cache.counts[ClassOf(total)] >= kKeepPerClass) {
        std::free(block);
        return;
    }
    const size_t c = ClassOf(total);
    if (!t_cache.reaperSet) {
        thread_local Reaper reaper;
        (void)&reaper;
        t_cache.reaperSet = true;
    }
    auto* kept = static_cast<FreeBlock*>(block);
    kept->next = t_cache.lists[c];
    t_cache.lists[c] = kept;
    ++t_cache.counts[c];
}

// Block size for a text of `bytes` bytes: room for a whole wide terminator even for an
// odd byte count.
size_t TotalOf(size_t bytes) { return kHeader + bytes + 2 * sizeof(wchar_t); }

BSTR AllocBytes(const void* src, size_t bytes)
{
    if (bytes > 0xFFFFFFF0u) return nullptr;
    const size_t total = TotalOf(bytes);
    auto* block = static_cast<unsigned char*>(TakeBlock(total));
    if (!block) return nullptr;
    uint32_t count = static_cast<uint32_t>(bytes);
    std::memcpy(block + kHeader - kPrefix, &count, kPrefix);
    unsigned char* text = block + kHeader;
    if (src)
        std::memcpy(text, src, bytes);
    else
        std::memset(text, 0, bytes);
    std::memset(text + bytes, 0, 2 * sizeof(wchar_t));
    return reinterpret_cast<BSTR>(text);
}

unsigned char* BlockOf(BSTR s) { return reinterpret_cast<unsigned char*>(s) - kHeader; }

}  // namespace

BSTR WINAPI SysAllocString(const OLECHAR* psz)
{
    if (!psz) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(std::wcslen(psz)));
}

BSTR WINAPI SysAllocStringLen(const OLECHAR* str, UINT len)
{
    return AllocBytes(str, static_cast<size_t>(len) * sizeof(OLECHAR));
}

BSTR WINAPI SysAllocStringByteLen(LPCSTR psz, UINT len) { return AllocBytes(psz, len); }

INT WINAPI SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len)
{
    if (!pbstr) return FALSE;
    // The source may lie inside the old string: copy before freeing.
    BSTR fresh = SysAllocStringLen(psz, len);
    if (!fresh) return FALSE;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return TRUE;
}

INT WINAPI SysReAllocString(BSTR* pbstr, const OLECHAR* psz)
{
    if (!pbstr) return FALSE;
    if (!psz) {
        SysFreeString(*pbstr);
        *pbstr = nullptr;
        return TRUE;
    }
    return SysReAllocStringLen(pbstr, psz, static_cast<UINT>(std::wcslen(psz)));
}

void WINAPI SysFreeString(BSTR s)
{
    if (s) GiveBlock(BlockOf(s), TotalOf(SysStringByteLen(s)));
}

UINT WINAPI SysStringByteLen(BSTR s)
{
    if (!s) return 0;
    uint32_t count;
    std::memcpy(&count, BlockOf(s) + kHeader - kPrefix, kPrefix);
    return count;
}

UINT WINAPI SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }
