// Microsoft C run-time conventions on top of the C library.
#include "vxplat/CodePage.h"
#include "vxplat/Crt.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// Formats one conversion with glibc's swprintf, growing the buffer as needed.
template <typename T>
void FormatOne(std::wstring& out, const std::wstring& spec, int width, int precision, bool hasWidthStar,
               bool hasPrecisionStar, T value)
{
    std::vector<wchar_t> buf(64);
    for (;;) {
        int n;
        if (hasWidthStar && hasPrecisionStar)
            n = std::swprintf(buf.data(), buf.size(), spec.c_str(), width, precision, value);
        else if (hasWidthStar)
            n = std::swprintf(buf.data(), buf.size(), spec.c_str(), width, value);
        else if (hasPrecisionStar)
            n = std::swprintf(buf.data(), buf.size(), spec.c_str(), precision, value);
        else
            n = std::swprintf(buf.data(), buf.size(), spec.c_str(), value);
        if (n >= 0) {
            out.append(buf.data(), static_cast<size_t>(n));
            return;
        }
        if (buf.size() > (1u << 26)) return;  // not a size problem
        buf.resize(buf.size() * 4);
    }
}

std::wstring NarrowToWide(const char* s, int precision)
{
    if (!s) return L"(null)";
    size_t len = std::strlen(s);
    if (precision >= 0 && static_cast<size_t>(precision) < len) len = static_cast<size_t>(precision);
    if (len == 0) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(len), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(len), w.data(), n);
    return w;
}

std::wstring Format(const wchar_t* format, va_list args)
{
    std::wstring out;
    const wchar_t* p = format;
    while (*p) {
        if (*p != L'%') {
            out += *p++;
            continue;
        }
        const wchar_t* start = p++;
        if (*p == L'%') {
            out += L'%';
            ++p;
            continue;
        }
        std::wstring flags;
        while (*p && std::wcschr(L"-+ #0", *p)) flags += *p++;
        std::wstring width, precision;
        bool widthStar = false, precisionStar = false;
        int widthValue = 0, precisionValue = -1;
        if (*p == L'*') {
            widthStar = true;
            ++p;
            widthValue = va_arg(args, int);
        } else {
            while (*p >= L'0' && *p <= L'9') width += *p++;
        }
        bool hasPrecision = false;
        if (*p == L'.') {
            hasPrecision = true;
            ++p;
            if (*p == L'*') {
                precisionStar = true;
                ++p;
                precisionValue = va_arg(args, int);
            } else {
                while (*p >= L'0' && *p <= L'9') precision += *p++;
                precisionValue = precision.empty() ? 0 : std::wcstol(precision.c_str(), nullptr, 10);
            }
        }
        // Size prefixes in Microsoft's meaning: l is 32-bit for integers and
        // wide for strings, h narrow/short, I64/ll 64-bit, I pointer-sized.
        enum { None, Short, Long, LongLong, Ptr, Wide } size = None;
        if (*p == L'h') {
            size = Short;
            ++p;
            if (*p == L'h') ++p;
        } else if (*p == L'l') {
            ++p;
            if (*p == L'l') {
                size = LongLong;
                ++p;
            } else {
                size = Long;
            }
        } else if (*p == L'w') {
            size = Wide;
            ++p;
        } else if (*p == L'L') {
            ++p;  // long double is double in the Microsoft run-time
        } else if (*p == L'I') {
            if (p[1] == L'6' && p[2] == L'4') {
                size = LongLong;
                p += 3;
            } else if (p[1] == L'3' && p[2] == L'2') {
                p += 3;
            } else {
                size = Ptr;
                ++p;
            }
        } else if (*p == L'z' || *p == L't' || *p == L'j') {
            size = Ptr;
            ++p;
        }
        wchar_t conv = *p;
        if (!conv) {
            out.append(start);
            break;
        }
        ++p;
        std::wstring spec = L"%" + flags;
        spec += widthStar ? L"*" : width;
        if (hasPrecision) spec += precisionStar ? L".*" : L"." + precision;
        switch (conv) {
        case L'd':
        case L'i':
        case L'u':
        case L'o':
        case L'x':
        case L'X': {
            bool isSigned = conv == L'd' || conv == L'i';
            if (size == LongLong || (size == Ptr && sizeof(void*) == 8)) {
                spec += L"ll";
                spec += conv;
                long long v = va_arg(args, long long);
                if (isSigned)
                    FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar, v);
                else
                    FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar,
                              static_cast<unsigned long long>(v));
            } else {
                if (size == Short) spec += L"h";
                spec += conv;
                int v = va_arg(args, int);
                if (isSigned)
                    FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar, v);
                else
                    FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar,
                              static_cast<unsigned int>(v));
            }
            break;
        }
        case L'e':
        case L'E':
        case L'f':
        case L'F':
        case L'g':
        case L'G':
        case L'a':
        case L'A': {
            spec += conv;
            double v = va_arg(args, double);
            FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar, v);
            break;
        }
        case L'p': {
            spec += L'p';
            void* v = va_arg(args, void*);
            FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar, v);
            break;
        }
        case L's':
        case L'S': {
            bool narrow = size == Short || (conv == L'S' && size != Long && size != Wide);
            std::wstring text;
            if (narrow) {
                text = NarrowToWide(va_arg(args, const char*), precisionValue);
            } else {
                const wchar_t* w = va_arg(args, const wchar_t*);
                text = w ? w : L"(null)";
            }
            spec += L"ls";
            FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar, text.c_str());
            break;
        }
        case L'c':
        case L'C': {
            bool narrow = size == Short || (conv == L'C' && size != Long && size != Wide);
            int v = va_arg(args, int);
            wchar_t c;
            if (narrow) {
                char b = static_cast<char>(v);
                wchar_t w = L'?';
                if (MultiByteToWideChar(CP_ACP, 0, &b, 1, &w, 1) != 1) w = L'?';
                c = w;
            } else {
                c = static_cast<wchar_t>(static_cast<unsigned int>(v) & 0xFFFF);
            }
            spec += L"lc";
            FormatOne(out, spec, widthValue, precisionValue, widthStar, precisionStar, static_cast<wint_t>(c));
            break;
        }
        case L'n': {
            int* target = va_arg(args, int*);
            if (target) *target = static_cast<int>(out.size());
            break;
        }
        default:
            out.append(start, p);  // unknown conversion: copied as it stands
            break;
        }
    }
    return out;
}

wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c + 0x20 : c; }
wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? c - 0x20 : c; }

}  // namespace

int _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args)
{
    if (!format) return -1;
    va_list copy;
    va_copy(copy, args);
    std::wstring text = Format(format, copy);
    va_end(copy);
    if (text.size() < count) {
        text.copy(buffer, text.size());
        buffer[text.size()] = 0;
        return static_cast<int>(text.size());
    }
    if (text.size() == count) {
        // Exactly full: no room for the terminator, which is then left out.
        text.copy(buffer, count);
        return static_cast<int>(count);
    }
    if (count > 0) text.copy(buffer, count);
    return -1;
}

int _snwprintf(wchar_t* buffer, size_t count, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return n;
}

void _wsplitpath(const wchar_t* path, wchar_t* drive, wchar_t* dir, wchar_t* fname, wchar_t* ext)
{
    auto put = [](wchar_t* target, const wchar_t* from, size_t n, size_t max) {
        if (!target) return;
        if (n >= max) n = max - 1;
        std::wmemcpy(target, from, n);
        target[n] = 0;
    };
    if (!path) path = L"";
    const wchar_t* p = path;
    if (p[0] && p[1] == L':') {
        put(drive, p, 2, _MAX_DRIVE);
        p += 2;
    } else {
        put(drive, p, 0, _MAX_DRIVE);
    }
    const wchar_t* lastSep = nullptr;
    const wchar_t* lastDot = nullptr;
    for (const wchar_t* q = p; *q; ++q) {
        if (*q == L'\\' || *q == L'/') {
            lastSep = q;
            lastDot = nullptr;
        } else if (*q == L'.') {
            lastDot = q;
        }
    }
    const wchar_t* name = lastSep ? lastSep + 1 : p;
    put(dir, p, static_cast<size_t>(name - p), _MAX_DIR);
    const wchar_t* end = name + std::wcslen(name);
    const wchar_t* extStart = lastDot ? lastDot : end;
    put(fname, name, static_cast<size_t>(extStart - name), _MAX_FNAME);
    put(ext, extStart, static_cast<size_t>(end - extStart), _MAX_EXT);
}

int _wcsicmp(const wchar_t* a, const wchar_t* b) { return _wcsnicmp(a, b, static_cast<size_t>(-1)); }

int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        wchar_t x = AsciiLower(a[i]), y = AsciiLower(b[i]);
        if (x != y) return static_cast<int>(x) - static_cast<int>(y);
        if (!x) return 0;
    }
    return 0;
}

int _stricmp(const char* a, const char* b) { return _strnicmp(a, b, static_cast<size_t>(-1)); }

int _strnicmp(const char* a, const char* b, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        int x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x += 0x20;
        if (y >= 'A' && y <= 'Z') y += 0x20;
        if (x != y) return x - y;
        if (!x) return 0;
    }
    return 0;
}

wchar_t* _wcsupr(wchar_t* s)
{
    for (wchar_t* p = s; p && *p; ++p) *p = AsciiUpper(*p);
    return s;
}

wchar_t* _wcslwr(wchar_t* s)
{
    for (wchar_t* p = s; p && *p; ++p) *p = AsciiLower(*p);
    return s;
}
