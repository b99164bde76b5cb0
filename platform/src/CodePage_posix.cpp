// Code pages: UTF-8 and Windows-1252 by hand (1252 exactly as Windows maps it,
// including the five bytes iconv rejects), every other code page through iconv.
#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"

#include "PosixText.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

constexpr UINT kDefaultAnsi = 1252;

// Bytes 0x80..0x9F of Windows-1252; the undefined ones map to the C1 controls.
const wchar_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

UINT AnsiFromEnvironment()
{
    if (const char* env = std::getenv("VEXLO_ACP")) {
        char* end = nullptr;
        unsigned long cp = std::strtoul(env, &end, 10);
        if (end != env && *end == 0 && cp != 0) return static_cast<UINT>(cp);
        std::fprintf(stderr, "vexlo: VEXLO_ACP=\"%s\" is not a code page number; using %u\n", env, kDefaultAnsi);
    }
    return kDefaultAnsi;
}

std::atomic<UINT>& AnsiCodePage()
{
    static std::atomic<UINT> cp{AnsiFromEnvironment()};
    return cp;
}

UINT Resolve(UINT cp)
{
    if (cp == CP_ACP || cp == CP_THREAD_ACP) return AnsiCodePage().load();
    if (cp == CP_OEMCP) return 437;
    return cp;
}

std::string IconvName(UINT cp)
{
    switch (cp) {
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28605: return "ISO-8859-15";
    case 20866: return "KOI8-R";
    case 51932: return "EUC-JP";
    case 54936: return "GB18030";
    default: return "CP" + std::to_string(cp);
    }
}

bool IsDbcs(UINT cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361; }

bool IsLeadByte(UINT cp, unsigned char b)
{
    switch (cp) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    case 1361: return (b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9);
    default: return false;
    }
}

bool Supported(UINT cp)
{
    if (cp == CP_UTF8 || cp == 1252) return true;
    // Asked on every conversion: the converter is opened once per code page and thread.
    thread_local UINT checkedCp = 0;
    thread_local bool supported = false;
    if (checkedCp != cp) {
        iconv_t cd = iconv_open("WCHAR_T", IconvName(cp).c_str());
        supported = cd != reinterpret_cast<iconv_t>(-1);
        if (supported) iconv_close(cd);
        checkedCp = cp;
    }
    return supported;
}

// Code pages known to write every ASCII character as its own byte: UTF-8 and 1252, and
// the last one the converter was asked about (Encoder::KeepsAscii).
thread_local UINT t_asciiCheckedCp = 0;
thread_local bool t_asciiKept = false;

bool KnownToKeepAscii(UINT cp)
{
    return cp == CP_UTF8 || cp == 1252 || (cp == t_asciiCheckedCp && t_asciiKept);
}

template <class C> bool AllAscii(const C* s, size_t n)
{
    unsigned bits = 0;
    for (size_t i = 0; i < n; ++i)
        bits |= static_cast<unsigned>(static_cast<std::make_unsigned_t<C>>(s[i]));
    return bits < 0x80;
}

// Text that is ASCII alone, in a code page that keeps ASCII, is copied character by
// character; the answer is what the conversion functions return.
template <class From, class To> int CopyAscii(const From* src, size_t n, To* dst, int dstLen)
{
    if (dstLen == 0) return static_cast<int>(n);
    const size_t room = std::min(n, static_cast<size_t>(dstLen));
    for (size_t i = 0; i < room; ++i)
        dst[i] = static_cast<To>(static_cast<std::make_unsigned_t<From>>(src[i]));
    if (room < n) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return static_cast<int>(n);
}

// Decoding: false when a byte sequence is invalid and the caller asked to fail.
bool Decode(UINT cp, const unsigned char* s, size_t n, bool strict, std::wstring& out)
{
    if (cp == 1252) {
        for (size_t i = 0; i < n; ++i) {
            unsigned char b = s[i];
            out += (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<wchar_t>(b);
        }
        return true;
    }
    if (cp == CP_UTF8) {
        std::wstring w = vxp::FromUtf8(reinterpret_cast<const char*>(s), n);
        if (strict && w.find(wchar_t(0xFFFD)) != std::wstring::npos) {
            // U+FFFD may also have been in the text itself
            std::string back = vxp::ToUtf8(w);
            if (back.size() != n || std::memcmp(back.data(), s, n) != 0) return false;
        }
        out += w;
        return true;
    }
    iconv_t cd = iconv_open("WCHAR_T", IconvName(cp).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(s));
    size_t inLeft = n;
    while (inLeft > 0) {
        wchar_t buf[256];
        char* o = reinterpret_cast<char*>(buf);
        size_t oLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, (sizeof buf - oLeft) / sizeof(wchar_t));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            if (strict) {
                iconv_close(cd);
                return false;
            }
            // An invalid or incomplete sequence: one byte becomes a replacement.
            ++in;
            --inLeft;
            out += wchar_t(cp == 932 ? 0x30FB : 0x003F);
        }
    }
    iconv_close(cd);
    return true;
}

// Encoding of one character; false when the code page has no byte for it.
class Encoder {
public:
    explicit Encoder(UINT cp) : m_cp(cp)
    {
        if (cp != CP_UTF8 && cp != 1252) m_cd = iconv_open(IconvName(cp).c_str(), "WCHAR_T");
    }
    ~Encoder()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    bool Valid() const { return m_cp == CP_UTF8 || m_cp == 1252 || m_cd != reinterpret_cast<iconv_t>(-1); }

    // True when the code page writes every ASCII character as its own byte, so that a
    // run of ASCII text is copied as it is. Asked of the converter once per code page.
    bool KeepsAscii()
    {
        if (m_cp == CP_UTF8 || m_cp == 1252) return true;
        if (t_asciiCheckedCp != m_cp) {
            std::string out;
            bool kept = true;
            for (wchar_t c = 0; c < 0x80 && kept; ++c)
                kept = Put(c, out) && out.size() == static_cast<size_t>(c) + 1 &&
                       static_cast<unsigned char>(out.back()) == c;
            t_asciiKept = kept;
            t_asciiCheckedCp = m_cp;
        }
        return t_asciiKept;
    }

    bool Put(wchar_t c, std::string& out)
    {
        if (m_cp == CP_UTF8) {
            out += vxp::ToUtf8(&c, 1);
            return true;
        }
        if (m_cp == 1252) {
            if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
                out += static_cast<char>(c);
                return true;
            }
            for (int i = 0; i < 32; ++i)
                if (kCp1252High[i] == c) {
                    out += static_cast<char>(0x80 + i);
                    return true;
                }
            return false;
        }
        char* in = reinterpret_cast<char*>(&c);
        size_t inLeft = sizeof c;
        char buf[16];
        char* o = buf;
        size_t oLeft = sizeof buf;
        if (iconv(m_cd, &in, &inLeft, &o, &oLeft) == static_cast<size_t>(-1)) {
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        out.append(buf, sizeof buf - oLeft);
        return true;
    }

private:
    UINT m_cp;
    iconv_t m_cd = reinterpret_cast<iconv_t>(-1);
};

}  // namespace

UINT WINAPI GetACP() { return AnsiCodePage().load(); }

UINT WINAPI GetOEMCP() { return 437; }

bool VxpSetAnsiCodePage(UINT codePage)
{
    if (codePage == CP_ACP || codePage == CP_OEMCP || !Supported(codePage)) return false;
    AnsiCodePage().store(codePage);
    return true;
}

BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE c) { return IsLeadByte(Resolve(codePage), c); }

BOOL WINAPI IsDBCSLeadByte(BYTE c) { return IsLeadByte(GetACP(), c); }

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen, LPWSTR dst, int dstLen)
{
    UINT cp = Resolve(codePage);
    if (!src || srcLen == 0 || dstLen < 0 || (dstLen > 0 && !dst) || !Supported(cp)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen < 0 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
    if (KnownToKeepAscii(cp) && AllAscii(src, n)) return CopyAscii(src, n, dst, dstLen);
    std::wstring out;
    if (!Decode(cp, reinterpret_cast<const unsigned char*>(src), n, (flags & MB_ERR_INVALID_CHARS) != 0, out)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (dstLen == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(dstLen)) {
        out.copy(dst, static_cast<size_t>(dstLen));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    out.copy(dst, out.size());
    return static_cast<int>(out.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen, LPSTR dst, int dstLen,
                               LPCSTR defaultChar, LPBOOL usedDefaultChar)
{
    UINT cp = Resolve(codePage);
    if (!src || srcLen == 0 || dstLen < 0 || (dstLen > 0 && !dst) || !Supported(cp) ||
        (cp == CP_UTF8 && (defaultChar || usedDefaultChar))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = srcLen < 0 ? std::wcslen(src) + 1 : static_cast<size_t>(srcLen);
    if (KnownToKeepAscii(cp) && AllAscii(src, n)) {
        if (usedDefaultChar) *usedDefaultChar = FALSE;
        return CopyAscii(src, n, dst, dstLen);
    }
    Encoder encoder(cp);
    if (!encoder.Valid()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string fallback = defaultChar ? std::string(defaultChar, std::strlen(defaultChar) > 1 && IsDbcs(cp) ? 2 : 1)
                                       : std::string("?");
    std::string out;
    out.reserve(n);  // one byte a character in the single-byte code pages: no regrowth
    bool usedDefault = false;
    const bool keepsAscii = encoder.KeepsAscii();
    for (size_t i = 0; i < n; ++i) {
        if (keepsAscii && static_cast<unsigned>(src[i]) < 0x80) {
            // A run of ASCII characters: one byte each, no converter call.
            size_t end = i + 1;
            while (end < n && static_cast<unsigned>(src[end]) < 0x80)
                ++end;
            size_t at = out.size();
            out.resize(at + (end - i));
            for (size_t k = i; k < end; ++k)
                out[at + (k - i)] = static_cast<char>(src[k]);
            i = end - 1;
            continue;
        }
        if (!encoder.Put(src[i], out)) {
            if (flags & WC_ERR_INVALID_CHARS) {
                SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                return 0;
            }
            out += fallback;
            usedDefault = true;
        }
    }
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    if (dstLen == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(dstLen)) {
        out.copy(dst, static_cast<size_t>(dstLen));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    out.copy(dst, out.size());
    return static_cast<int>(out.size());
}

namespace {

// Maps one single-byte character of the ANSI code page; unchanged when the
// mapped letter has no byte of its own.
char MapByte(UINT cp, Encoder& encoder, char c, bool upper)
{
    auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
        if (upper && b >= 'a' && b <= 'z') return static_cast<char>(b - 0x20);
        if (!upper && b >= 'A' && b <= 'Z') return static_cast<char>(b + 0x20);
        return c;
    }
    if (IsDbcs(cp) || cp == CP_UTF8) return c;  // only single-byte letters are mapped there
    std::wstring w;
    if (!Decode(cp, &b, 1, true, w) || w.size() != 1) return c;
    wchar_t m = upper ? vxp::ToUpperChar(w[0]) : vxp::ToLowerChar(w[0]);
    if (m == w[0]) return c;
    std::string back;
    if (!encoder.Put(m, back) || back.size() != 1) return c;
    return back[0];
}

DWORD MapBuffer(LPSTR s, DWORD length, bool upper)
{
    UINT cp = GetACP();
    Encoder encoder(cp);
    for (DWORD i = 0; i < length; ++i) {
        auto b = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(cp, b) && i + 1 < length) {
            ++i;  // a double-byte character is left alone
            continue;
        }
        if (cp == CP_UTF8 && b >= 0x80) continue;
        s[i] = MapByte(cp, encoder, s[i], upper);
    }
    return length;
}

LPSTR MapString(LPSTR s, bool upper)
{
    if (!s) return s;
    auto value = reinterpret_cast<ULONG_PTR>(s);
    if ((value >> 16) == 0) {
        // A single character in the low word, as the Windows function accepts it.
        UINT cp = GetACP();
        Encoder encoder(cp);
        char c = MapByte(cp, encoder, static_cast<char>(value & 0xFF), upper);
        return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(c)));
    }
    MapBuffer(s, static_cast<DWORD>(std::strlen(s)), upper);
    return s;
}

}  // namespace

LPSTR WINAPI CharUpperA(LPSTR s) { return MapString(s, true); }

LPSTR WINAPI CharLowerA(LPSTR s) { return MapString(s, false); }

DWORD WINAPI CharUpperBuffA(LPSTR s, DWORD n) { return s ? MapBuffer(s, n, true) : 0; }

DWORD WINAPI CharLowerBuffA(LPSTR s, DWORD n) { return s ? MapBuffer(s, n, false) : 0; }
