// The ".reg" export format: "Windows Registry Editor Version 5.00", one
// [ROOT\path] section per key, then "name"=data lines.
#include "RegistryFile.h"

#include "PosixText.h"
#include "vxplat/Registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>

namespace vxp::reg {

const wchar_t* const kRootNames[7] = {L"HKEY_CLASSES_ROOT",     L"HKEY_CURRENT_USER",   L"HKEY_LOCAL_MACHINE",
                                      L"HKEY_USERS",            L"HKEY_PERFORMANCE_DATA", L"HKEY_CURRENT_CONFIG",
                                      L"HKEY_DYN_DATA"};

Tree::Tree()
{
    for (int i = 0; i < 7; ++i) roots[i].name = kRootNames[i];
}

Key* Key::Find(const std::wstring& child) const
{
    for (const auto& k : subKeys)
        if (EqualNoCase(k->name, child)) return k.get();
    return nullptr;
}

Key* Key::Add(const std::wstring& child)
{
    if (Key* existing = Find(child)) return existing;
    auto key = std::make_unique<Key>();
    key->name = child;
    auto at = std::lower_bound(subKeys.begin(), subKeys.end(), child, [](const std::unique_ptr<Key>& k,
                                                                        const std::wstring& n) {
        return CompareNoCase(k->name, n) < 0;
    });
    return subKeys.insert(at, std::move(key))->get();
}

bool Key::Remove(const std::wstring& child)
{
    for (auto it = subKeys.begin(); it != subKeys.end(); ++it)
        if (EqualNoCase((*it)->name, child)) {
            subKeys.erase(it);
            return true;
        }
    return false;
}

Value* Key::FindValue(const std::wstring& valueName)
{
    for (auto& v : values)
        if (EqualNoCase(v.name, valueName)) return &v;
    return nullptr;
}

namespace {

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Native wide text <-> the UTF-16LE bytes Windows stores and exports.
std::vector<BYTE> NativeToUtf16(const std::vector<BYTE>& native)
{
    std::vector<BYTE> out;
    size_t n = native.size() / sizeof(wchar_t);
    for (size_t i = 0; i < n; ++i) {
        wchar_t c;
        std::memcpy(&c, native.data() + i * sizeof(wchar_t), sizeof c);
        uint32_t u = static_cast<uint32_t>(c);
        auto put = [&out](uint32_t unit) {
            out.push_back(static_cast<BYTE>(unit & 0xFF));
            out.push_back(static_cast<BYTE>(unit >> 8));
        };
        if (u >= 0x10000 && u <= 0x10FFFF) {
            u -= 0x10000;
            put(0xD800 + (u >> 10));
            put(0xDC00 + (u & 0x3FF));
        } else {
            put(u & 0xFFFF);
        }
    }
    return out;
}

std::wstring Utf16ToWide(const BYTE* p, size_t bytes)
{
    std::wstring out;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        uint32_t u = p[i] | (p[i + 1] << 8);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes) {
            uint32_t low = p[i + 2] | (p[i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        out += static_cast<wchar_t>(u);
    }
    return out;
}

std::vector<BYTE> WideToNative(const std::wstring& text)
{
    std::vector<BYTE> out(text.size() * sizeof(wchar_t));
    if (!text.empty()) std::memcpy(out.data(), text.data(), out.size());
    return out;
}

std::wstring NativeToWide(const std::vector<BYTE>& native)
{
    std::wstring out(native.size() / sizeof(wchar_t), L'\0');
    if (!out.empty()) std::memcpy(out.data(), native.data(), out.size() * sizeof(wchar_t));
    return out;
}

// ---------------------------------------------------------------- parsing

struct Line {
    int number;
    std::wstring text;
};

bool ParseHexBytes(const std::wstring& text, std::vector<BYTE>& out)
{
    size_t i = 0;
    auto skipSpace = [&] {
        while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    };
    skipSpace();
    if (i == text.size()) return true;
    for (;;) {
        skipSpace();
        int value = 0, digits = 0;
        while (i < text.size() && digits < 2 && std::iswxdigit(text[i])) {
            wchar_t c = text[i++];
            value = value * 16 + (c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
            ++digits;
        }
        if (digits == 0) return false;
        out.push_back(static_cast<BYTE>(value));
        skipSpace();
        if (i == text.size()) return true;
        if (text[i] != L',') return false;
        ++i;
        skipSpace();
        if (i == text.size()) return true;  // a trailing comma is tolerated
    }
}

// Reads a quoted string at text[i] (just past the opening quote).
bool ParseQuoted(const std::wstring& text, size_t& i, std::wstring& out)
{
    while (i < text.size()) {
        wchar_t c = text[i++];
        if (c == L'"') return true;
        if (c == L'\\') {
            if (i == text.size()) return false;
            wchar_t e = text[i++];
            if (e == L'n')
                out += L'\n';
            else if (e == L'r')
                out += L'\r';
            else if (e == L'0')
                out += L'\0';
            else
                out += e;  // \\ and \" (and anything else verbatim)
        } else {
            out += c;
        }
    }
    return false;
}

bool ParseRoot(const std::wstring& name, int& index)
{
    static const wchar_t* const shortNames[7] = {L"HKCR", L"HKCU", L"HKLM", L"HKU", L"HKPD", L"HKCC", L"HKDD"};
    for (int i = 0; i < 7; ++i)
        if (EqualNoCase(name, kRootNames[i]) || EqualNoCase(name, shortNames[i])) {
            index = i;
            return true;
        }
    return false;
}

std::wstring Trim(const std::wstring& s)
{
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == L' ' || s[a] == L'\t' || s[a] == L'\r')) ++a;
    while (b > a && (s[b - 1] == L' ' || s[b - 1] == L'\t' || s[b - 1] == L'\r')) --b;
    return s.substr(a, b - a);
}

}  // namespace

bool Parse(const std::string& bytes, Tree& tree, int& errorLine, std::string& error)
{
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<BYTE>(bytes[0]) == 0xFF && static_cast<BYTE>(bytes[1]) == 0xFE)
        text = Utf16ToWide(reinterpret_cast<const BYTE*>(bytes.data()) + 2, bytes.size() - 2);
    else if (bytes.size() >= 3 && static_cast<BYTE>(bytes[0]) == 0xEF && static_cast<BYTE>(bytes[1]) == 0xBB &&
             static_cast<BYTE>(bytes[2]) == 0xBF)
        text = FromUtf8(bytes.data() + 3, bytes.size() - 3);
    else
        text = FromUtf8(bytes);

    // Split into logical lines: a line ending in "\" continues (hex data).
    std::vector<Line> lines;
    int number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring raw = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!raw.empty() && raw.back() == L'\r') raw.pop_back();
        if (!lines.empty() && !lines.back().text.empty() && lines.back().text.back() == L'\\' &&
            lines.back().text.find(L'=') != std::wstring::npos && lines.back().text[0] != L'[') {
            lines.back().text.pop_back();
            lines.back().text += Trim(raw);
            continue;
        }
        lines.push_back({number, raw});
    }

    auto fail = [&](int line, const char* what) {
        errorLine = line;
        error = what;
        return false;
    };

    bool sawHeader = false;
    Key* current = nullptr;
    bool skipping = false;  // inside a [-key] section
    for (const Line& line : lines) {
        std::wstring t = Trim(line.text);
        if (t.empty() || t[0] == L';') continue;
        if (!sawHeader) {
            if (t != L"Windows Registry Editor Version 5.00" && t != L"REGEDIT4")
                return fail(line.number, "expected \"Windows Registry Editor Version 5.00\"");
            sawHeader = true;
            continue;
        }
        if (t[0] == L'[') {
            if (t.back() != L']') return fail(line.number, "a key line must end with \"]\"");
            std::wstring path = t.substr(1, t.size() - 2);
            bool remove = !path.empty() && path[0] == L'-';
            if (remove) path.erase(0, 1);
            std::vector<std::wstring> parts;
            size_t p = 0;
            while (p <= path.size()) {
                size_t next = path.find(L'\\', p);
                if (next == std::wstring::npos) next = path.size();
                parts.push_back(path.substr(p, next - p));
                p = next + 1;
            }
            int root;
            if (parts.empty() || !ParseRoot(parts[0], root)) return fail(line.number, "unknown root key");
            for (size_t k = 1; k < parts.size(); ++k)
                if (parts[k].empty()) return fail(line.number, "empty key name");
            Key* key = &tree.roots[root];
            if (remove) {
                for (size_t k = 1; k + 1 < parts.size() && key; ++k) key = key->Find(parts[k]);
                if (key && parts.size() > 1) key->Remove(parts.back());
                current = nullptr;
                skipping = true;
                continue;
            }
            for (size_t k = 1; k < parts.size(); ++k) key = key->Add(parts[k]);
            current = key;
            skipping = false;
            continue;
        }
        if (skipping) continue;
        if (!current) return fail(line.number, "value outside of a key");
        size_t i = 0;
        std::wstring name;
        if (t[0] == L'@') {
            i = 1;
        } else if (t[0] == L'"') {
            i = 1;
            if (!ParseQuoted(t, i, name)) return fail(line.number, "unterminated value name");
        } else {
            return fail(line.number, "a value line must start with a quoted name or @");
        }
        while (i < t.size() && (t[i] == L' ' || t[i] == L'\t')) ++i;
        if (i == t.size() || t[i] != L'=') return fail(line.number, "\"=\" expected after the value name");
        ++i;
        while (i < t.size() && (t[i] == L' ' || t[i] == L'\t')) ++i;
        std::wstring data = t.substr(i);
        Value value;
        value.name = name;
        if (data == L"-") {
            auto& vs = current->values;
            vs.erase(std::remove_if(vs.begin(), vs.end(), [&](const Value& v) { return EqualNoCase(v.name, name); }),
                     vs.end());
            continue;
        }
        if (!data.empty() && data[0] == L'"') {
            size_t j = 1;
            std::wstring s;
            if (!ParseQuoted(data, j, s) || Trim(data.substr(j)).size() != 0)
                return fail(line.number, "malformed string data");
            value.type = REG_SZ;
            s += L'\0';
            value.data = WideToNative(s);
        } else if (data.compare(0, 6, L"dword:") == 0) {
            std::wstring digits = Trim(data.substr(6));
            if (digits.empty() || digits.size() > 8 ||
                !std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; }))
                return fail(line.number, "malformed dword data");
            DWORD v = static_cast<DWORD>(std::wcstoul(digits.c_str(), nullptr, 16));
            value.type = REG_DWORD;
            value.data.resize(4);
            std::memcpy(value.data.data(), &v, 4);
        } else if (data.compare(0, 3, L"hex") == 0) {
            size_t j = 3;
            DWORD type = REG_BINARY;
            if (j < data.size() && data[j] == L'(') {
                size_t close = data.find(L')', j);
                if (close == std::wstring::npos || close == j + 1) return fail(line.number, "malformed hex type");
                std::wstring digits = data.substr(j + 1, close - j - 1);
                if (!std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; }))
                    return fail(line.number, "malformed hex type");
                type = static_cast<DWORD>(std::wcstoul(digits.c_str(), nullptr, 16));
                j = close + 1;
            }
            if (j >= data.size() || data[j] != L':') return fail(line.number, "\":\" expected after hex");
            std::vector<BYTE> bytes;
            if (!ParseHexBytes(data.substr(j + 1), bytes)) return fail(line.number, "malformed hex data");
            value.type = type;
            if (IsStringType(type))
                value.data = WideToNative(Utf16ToWide(bytes.data(), bytes.size()));
            else
                value.data = std::move(bytes);
        } else {
            return fail(line.number, "unknown value data");
        }
        if (Value* existing = current->FindValue(name))
            *existing = std::move(value);
        else
            current->values.push_back(std::move(value));
    }
    if (!sawHeader && !Trim(text).empty()) return fail(1, "expected \"Windows Registry Editor Version 5.00\"");
    return true;
}

// ---------------------------------------------------------------- rendering

namespace {

std::wstring Quote(const std::wstring& s)
{
    std::wstring out = L"\"";
    for (wchar_t c : s) {
        if (c == L'\\' || c == L'"') out += L'\\';
        out += c;
    }
    return out + L"\"";
}

void AppendHex(std::wstring& line, const std::vector<BYTE>& bytes, std::wstring& out)
{
    wchar_t buf[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::swprintf(buf, 4, L"%02x", bytes[i]);
        line += buf;
        if (i + 1 < bytes.size()) {
            line += L',';
            if (line.size() > 76) {  // wrapped as regedit does
                out += line + L"\\\r\n";
                line = L"  ";
            }
        }
    }
}

void RenderKey(const Key& key, const std::wstring& path, std::wstring& out)
{
    out += L"[" + path + L"]\r\n";
    for (const Value& v : key.values) {
        std::wstring line = v.name.empty() ? std::wstring(L"@") : Quote(v.name);
        line += L'=';
        std::wstring text = NativeToWide(v.data);
        bool plainString = v.type == REG_SZ && !text.empty() && text.back() == L'\0' &&
                           text.find(L'\0') == text.size() - 1 && text.find_first_of(L"\r\n") == std::wstring::npos;
        if (plainString) {
            text.pop_back();
            line += Quote(text);
        } else if (v.type == REG_DWORD && v.data.size() == 4) {
            DWORD d;
            std::memcpy(&d, v.data.data(), 4);
            wchar_t buf[20];
            std::swprintf(buf, 20, L"dword:%08x", d);
            line += buf;
        } else {
            wchar_t buf[16];
            if (v.type == REG_BINARY)
                line += L"hex:";
            else {
                std::swprintf(buf, 16, L"hex(%x):", v.type);
                line += buf;
            }
            AppendHex(line, IsStringType(v.type) ? NativeToUtf16(v.data) : v.data, out);
        }
        out += line + L"\r\n";
    }
    out += L"\r\n";
    for (const auto& sub : key.subKeys) RenderKey(*sub, path + L"\\" + sub->name, out);
}

}  // namespace

std::string Render(const Tree& tree)
{
    std::wstring out = L"Windows Registry Editor Version 5.00\r\n\r\n";
    for (const Key& root : tree.roots) {
        // A root is written only when it holds something.
        if (root.subKeys.empty() && root.values.empty()) continue;
        RenderKey(root, root.name, out);
    }
    return ToUtf8(out);
}

}  // namespace vxp::reg
