// Registry scripts (see VXRegistrar.h).
#include "VXRegistrar.h"

#include "vxplat/CodePage.h"
#include "vxplat/Crt.h"
#include "vxplat/Kernel.h"
#include "vxplat/Registry.h"
#include "vxplat/Resource.h"

#include <cwctype>
#include <memory>

namespace {

struct Token {
    std::wstring text;
    bool quoted = false;
};

enum class Removal { Plain, NoRemove, ForceRemove, Delete };

struct Value {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
};

struct Entry {
    bool isValue = false;  // a "val name = ..." line
    Removal removal = Removal::Plain;
    std::wstring name;
    bool hasValue = false;
    Value value;
    std::vector<Entry> children;
};

struct Root {
    HKEY key;
    std::vector<Entry> entries;
};

class Parser {
public:
    Parser(const wchar_t* text, const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
        : m_p(text), m_replacements(replacements)
    {
    }

    bool ParseScript(std::vector<Root>& roots)
    {
        Token t;
        while (Next(t)) {
            Root root{};
            if (t.quoted || !RootKey(t.text, root.key)) return false;
            if (!Expect(L"{") || !ParseEntries(root.entries)) return false;
            roots.push_back(std::move(root));
        }
        return m_ok;
    }

private:
    // Entries up to and including the closing brace.
    bool ParseEntries(std::vector<Entry>& entries)
    {
        Token t;
        while (Next(t)) {
            if (!t.quoted && t.text == L"}") return true;
            if (!t.quoted && t.text == L"{") return false;
            Entry e;
            if (!t.quoted && Is(t.text, L"val")) {
                e.isValue = true;
                if (!Next(t) || !NameToken(t)) return false;
                e.name = t.text;
                if (!Expect(L"=") || !ParseValue(e.value)) return false;
                e.hasValue = true;
                entries.push_back(std::move(e));
                continue;
            }
            if (!t.quoted && (Is(t.text, L"NoRemove") || Is(t.text, L"ForceRemove") || Is(t.text, L"Delete"))) {
                e.removal = Is(t.text, L"NoRemove")      ? Removal::NoRemove
                            : Is(t.text, L"ForceRemove") ? Removal::ForceRemove
                                                         : Removal::Delete;
                if (!Next(t)) return false;
            }
            if (!NameToken(t)) return false;
            e.name = t.text;
            // Optional "= type 'value'", then an optional block of sub-entries.
            const wchar_t* save = m_p;
            if (Next(t) && !t.quoted && t.text == L"=") {
                if (!ParseValue(e.value)) return false;
                e.hasValue = true;
                save = m_p;
                if (!Next(t)) t = Token{};
            }
            if (!t.quoted && t.text == L"{") {
                if (!ParseEntries(e.children)) return false;
            } else {
                m_p = save;
            }
            entries.push_back(std::move(e));
        }
        return false;  // missing closing brace
    }

    bool ParseValue(Value& v)
    {
        Token type, data;
        if (!Next(type) || type.quoted || !Next(data)) return false;
        if (Is(type.text, L"s") || Is(type.text, L"e")) {
            v.type = Is(type.text, L"s") ? REG_SZ : REG_EXPAND_SZ;
            const BYTE* bytes = reinterpret_cast<const BYTE*>(data.text.c_str());
            v.data.assign(bytes, bytes + (data.text.size() + 1) * sizeof(wchar_t));
            return true;
        }
        if (Is(type.text, L"d")) {
            wchar_t* end = nullptr;
            bool hex = data.text.size() > 2 && data.text[0] == L'0' && (data.text[1] == L'x' || data.text[1] == L'X');
            unsigned long n = std::wcstoul(data.text.c_str(), &end, hex ? 16 : 10);
            if (data.text.empty() || !end || *end) return false;
            DWORD d = static_cast<DWORD>(n);
            v.type = REG_DWORD;
            v.data.assign(reinterpret_cast<const BYTE*>(&d), reinterpret_cast<const BYTE*>(&d) + sizeof d);
            return true;
        }
        if (Is(type.text, L"b")) {
            if (data.text.size() % 2) return false;
            v.type = REG_BINARY;
            for (size_t i = 0; i < data.text.size(); i += 2) {
                int hi = HexDigit(data.text[i]), lo = HexDigit(data.text[i + 1]);
                if (hi < 0 || lo < 0) return false;
                v.data.push_back(static_cast<BYTE>(hi * 16 + lo));
            }
            return true;
        }
        return false;
    }

    static int HexDigit(wchar_t c)
    {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    }

    static bool NameToken(const Token& t) { return t.quoted || (t.text != L"{" && t.text != L"}" && t.text != L"="); }

    static bool Is(const std::wstring& text, const wchar_t* word) { return _wcsicmp(text.c_str(), word) == 0; }

    static bool RootKey(const std::wstring& name, HKEY& key)
    {
        static const struct {
            const wchar_t* shortName;
            const wchar_t* longName;
            HKEY key;
        } roots[] = {
            {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
            {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
            {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
            {L"HKU", L"HKEY_USERS", HKEY_USERS},
        };
        for (const auto& r : roots) {
            if (Is(name, r.shortName) || Is(name, r.longName)) {
                key = r.key;
                return true;
            }
        }
        return false;
    }

    bool Expect(const wchar_t* text)
    {
        Token t;
        return Next(t) && !t.quoted && t.text == text;
    }

    // Tokens are separated by blanks; a quoted token may hold anything.
    bool Next(Token& t)
    {
        while (*m_p && std::iswspace(static_cast<wint_t>(*m_p))) ++m_p;
        if (!*m_p) return false;
        t = Token{};
        std::wstring raw;
        if (*m_p == L'\'') {
            t.quoted = true;
            ++m_p;
            for (;;) {
                if (!*m_p) {
                    m_ok = false;  // unterminated text
                    return false;
                }
                if (*m_p == L'\'') {
                    if (m_p[1] != L'\'') break;
                    ++m_p;
                }
                raw += *m_p++;
            }
            ++m_p;
        } else {
            while (*m_p && !std::iswspace(static_cast<wint_t>(*m_p))) raw += *m_p++;
        }
        if (!Replace(raw, t.text)) {
            m_ok = false;
            return false;
        }
        return true;
    }

    bool Replace(const std::wstring& raw, std::wstring& out) const
    {
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != L'%') {
                out += raw[i];
                continue;
            }
            size_t end = raw.find(L'%', i + 1);
            if (end == std::wstring::npos) return false;
            std::wstring name = raw.substr(i + 1, end - i - 1);
            if (name.empty()) {
                out += L'%';
            } else {
                bool found = false;
                for (const auto& r : m_replacements) {
                    if (_wcsicmp(r.first.c_str(), name.c_str()) == 0) {
                        out += r.second;
                        found = true;
                        break;
                    }
                }
                if (!found) return false;
            }
            i = end;
        }
        return true;
    }

    const wchar_t* m_p;
    const std::vector<std::pair<std::wstring, std::wstring>>& m_replacements;
    bool m_ok = true;
};

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (m_key) RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* Address() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

HRESULT FromStatus(LSTATUS st) { return st == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<unsigned long>(st)); }

bool Missing(LSTATUS st) { return st == ERROR_FILE_NOT_FOUND || st == ERROR_PATH_NOT_FOUND; }

HRESULT DeleteTree(HKEY parent, const std::wstring& name)
{
    LSTATUS st = RegDeleteTreeW(parent, name.c_str());
    if (st == ERROR_SUCCESS) st = RegDeleteKeyW(parent, name.c_str());
    return Missing(st) ? S_OK : FromStatus(st);
}

HRESULT SetValue(HKEY key, const wchar_t* name, const Value& v)
{
    return FromStatus(RegSetValueExW(key, name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size())));
}

HRESULT RegisterEntries(HKEY parent, const std::vector<Entry>& entries)
{
    for (const Entry& e : entries) {
        if (e.isValue) {
            HRESULT hr = SetValue(parent, e.name.c_str(), e.value);
            if (FAILED(hr)) return hr;
            continue;
        }
        if (e.removal == Removal::Delete || e.removal == Removal::ForceRemove) {
            HRESULT hr = DeleteTree(parent, e.name);
            if (FAILED(hr)) return hr;
            if (e.removal == Removal::Delete) continue;
        }
        KeyHandle key;
        LSTATUS st = RegCreateKeyExW(parent, e.name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                     key.Address(), nullptr);
        if (st != ERROR_SUCCESS) return FromStatus(st);
        if (e.hasValue) {
            HRESULT hr = SetValue(key.Get(), nullptr, e.value);
            if (FAILED(hr)) return hr;
        }
        HRESULT hr = RegisterEntries(key.Get(), e.children);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// Whether the key holds subkeys or values other than its default value.
bool HasContent(HKEY key)
{
    DWORD subkeys = 0, values = 0, maxValueName = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, &maxValueName, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return true;  // unknown: keep it
    if (subkeys) return true;
    return values > 1 || (values == 1 && maxValueName > 0);
}

HRESULT UnregisterEntries(HKEY parent, const std::vector<Entry>& entries)
{
    for (const Entry& e : entries) {
        if (e.isValue) {
            LSTATUS st = RegDeleteValueW(parent, e.name.c_str());
            if (st != ERROR_SUCCESS && !Missing(st)) return FromStatus(st);
            continue;
        }
        if (e.removal == Removal::Delete || e.removal == Removal::ForceRemove) {
            HRESULT hr = DeleteTree(parent, e.name);
            if (FAILED(hr)) return hr;
            continue;
        }
        bool remove = false;
        {
            KeyHandle key;
            LSTATUS st = RegOpenKeyExW(parent, e.name.c_str(), 0, KEY_READ | KEY_WRITE, key.Address());
            if (Missing(st)) continue;  // nothing of ours left there
            if (st != ERROR_SUCCESS) return FromStatus(st);
            HRESULT hr = UnregisterEntries(key.Get(), e.children);
            if (FAILED(hr)) return hr;
            remove = e.removal == Removal::Plain && !HasContent(key.Get());
        }
        if (remove) {
            LSTATUS st = RegDeleteKeyW(parent, e.name.c_str());
            if (st != ERROR_SUCCESS && !Missing(st)) return FromStatus(st);
        }
    }
    return S_OK;
}

}  // namespace

void CVXRegistrar::AddReplacement(const wchar_t* name, const wchar_t* value)
{
    m_Replacements.emplace_back(name ? name : L"", value ? value : L"");
}

HRESULT CVXRegistrar::RegisterScript(const wchar_t* script) { return Run(script, true); }

HRESULT CVXRegistrar::UnregisterScript(const wchar_t* script) { return Run(script, false); }

HRESULT CVXRegistrar::Run(const wchar_t* script, bool doRegister)
{
    if (!script) return E_POINTER;
    std::vector<Root> roots;
    Parser parser(script, m_Replacements);
    if (!parser.ParseScript(roots)) return DISP_E_EXCEPTION;
    for (const Root& root : roots) {
        HRESULT hr = doRegister ? RegisterEntries(root.key, root.entries) : UnregisterEntries(root.key, root.entries);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CVXRegistrar::RunResource(HMODULE module, UINT id, const wchar_t* type, bool doRegister)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return HRESULT_FROM_WIN32(GetLastError());
    HGLOBAL loaded = LoadResource(module, found);
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    DWORD size = SizeofResource(module, found);
    if (!text) return HRESULT_FROM_WIN32(GetLastError());
    std::wstring script;
    if (size) {
        int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), nullptr, 0);
        if (n <= 0) return HRESULT_FROM_WIN32(GetLastError());
        script.resize(static_cast<size_t>(n));
        MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), script.data(), n);
    }
    return Run(script.c_str(), doRegister);
}
