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

BSTR AllocBytes(const void* src, size_t bytes)
{
    if (bytes > 0xFFFFFFF0u) return nullptr;
    // Room for a whole wide terminator even for an odd byte count.
    size_t total = kHeader + bytes + 2 * sizeof(wchar_t);
    auto* block = static_cast<unsigned char*>(std::malloc(total));
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
    if (s) std::free(BlockOf(s));
}

UINT WINAPI SysStringByteLen(BSTR s)
{
    if (!s) return 0;
    uint32_t count;
    std::memcpy(&count, BlockOf(s) + kHeader - kPrefix, kPrefix);
    return count;
}

UINT WINAPI SysStringLen(BSTR s) { return SysStringByteLen(s) / sizeof(OLECHAR); }
