#include "RegistryTools.h"

#include "Console.h"
#include "RunChecks.h"

#include "vxplat/Kernel.h"

#include <cstring>
#include <cwchar>

namespace VexloCli {

const wchar_t* const kPathMapKey = L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map";

namespace {

class Key {
public:
    Key(HKEY root, const std::wstring& path, REGSAM access = KEY_READ)
    {
        if (RegOpenKeyExW(root, path.c_str(), 0, access, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~Key()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return m_key != nullptr; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::wstring StringData(const std::vector<BYTE>& data)
{
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty())
        std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

bool QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data)
{
    DWORD size = 0;
    const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
    if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size, 0);
    if (size == 0)
        return true;
    return RegQueryValueExW(key, valueName, nullptr, &type, data.data(), &size) == ERROR_SUCCESS &&
           (data.resize(size), true);
}

std::wstring ValueText(DWORD type, const std::vector<BYTE>& data)
{
    if (type == REG_SZ || type == REG_EXPAND_SZ)
        return L"\"" + StringData(data) + L"\"";
    if (type == REG_DWORD && data.size() == 4) {
        DWORD value;
        std::memcpy(&value, data.data(), 4);
        return L"dword:" + HexCode(static_cast<long>(value)).substr(2);
    }
    return L"(type " + std::to_wstring(type) + L", " + std::to_wstring(data.size()) + L" bytes)";
}

} // namespace

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& valueName)
{
    Key k(root, key);
    if (!k)
        return std::nullopt;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    if (!QueryValue(k.Get(), valueName, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::nullopt;
    return StringData(data);
}

std::vector<std::wstring> RegistrySubKeys(HKEY root, const std::wstring& key)
{
    std::vector<std::wstring> names;
    Key k(root, key);
    if (!k)
        return names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[512];
        DWORD length = 512;
        LSTATUS status = RegEnumKeyExW(k.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // longer than any name the add-in writes
        if (status != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

void DumpRegistryKey(HKEY root, const std::wstring& rootName, const std::wstring& key, std::vector<std::wstring>& lines)
{
    Key k(root, key);
    if (!k)
        return;
    lines.push_back(rootName + L"\\" + key);
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyW(k.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                     nullptr, nullptr);
    for (DWORD index = 0;; ++index) {
        std::vector<wchar_t> name(maxName + 2);
        std::vector<BYTE> data(maxData + sizeof(wchar_t));
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (RegEnumValueW(k.Get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            break;
        data.resize(dataSize);
        std::wstring valueName(name.data(), nameLength);
        lines.push_back(L"  " + (valueName.empty() ? std::wstring(L"@") : valueName) + L" = " + ValueText(type, data));
    }
    for (const std::wstring& sub : RegistrySubKeys(root, key))
        DumpRegistryKey(root, rootName, key + L"\\" + sub, lines);
}

ScopedPathMap::ScopedPathMap(const std::vector<std::pair<std::wstring, std::wstring>>& entries)
{
    if (entries.empty())
        return;
    // A volatile key of this run's own, holding a copy of the user's map plus the entries,
    // stands in for HKEY_CURRENT_USER while the add-in runs: the user's map is never
    // written, whatever happens to this process, and runs at the same time do not meet.
    std::wstring name = L"Software\\Vexlo path map of process " + std::to_wstring(GetCurrentProcessId());
    HKEY map = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &m_overlay, nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExW(m_overlay, kPathMapKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &map,
                        nullptr) != ERROR_SUCCESS) {
        Warn(L"cannot set up the virtual path map for this run; --path-map only reaches the model loader");
        Remove();
        return;
    }
    std::vector<std::wstring> copied;
    if (Key user(HKEY_CURRENT_USER, kPathMapKey); user) {
        for (DWORD index = 0;; ++index) {
            wchar_t valueName[1024];
            DWORD nameLength = 1024;
            DWORD type = REG_NONE, size = 0;
            if (RegEnumValueW(user.Get(), index, valueName, &nameLength, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
                break;
            std::vector<BYTE> data;
            std::wstring valueText(valueName, nameLength);
            if (QueryValue(user.Get(), valueText, type, data))
                RegSetValueExW(map, valueText.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
        }
    }
    for (const auto& [symbol, given] : entries) {
        // The add-in creates missing folders only below one that exists: give it a full path.
        std::wstring dir = AbsoluteFolder(given);
        RegSetValueExW(map, symbol.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                       static_cast<DWORD>((dir.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(map);
    if (RegOverridePredefKey(HKEY_CURRENT_USER, m_overlay) != ERROR_SUCCESS) {
        Warn(L"cannot put the virtual path map in place for this run; --path-map only reaches the model loader");
        Remove();
        return;
    }
    m_overridden = true;
}

void ScopedPathMap::Remove()
{
    if (m_overridden)
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    m_overridden = false;
    if (m_overlay) {
        RegDeleteTreeW(m_overlay, nullptr);
        RegDeleteKeyW(m_overlay, L"");
        RegCloseKey(m_overlay);
        m_overlay = nullptr;
    }
}

ScopedPathMap::~ScopedPathMap() { Remove(); }

std::function<std::optional<std::wstring>(const std::wstring&)>
PathMapLookup(const std::vector<std::pair<std::wstring, std::wstring>>& pathMap)
{
    return [&pathMap](const std::wstring& symbol) -> std::optional<std::wstring> {
        for (auto it = pathMap.rbegin(); it != pathMap.rend(); ++it)
            if (it->first == symbol)
                return AbsoluteFolder(it->second); // as the path map of the run holds it
        return ReadRegistryString(HKEY_CURRENT_USER, kPathMapKey, symbol);
    };
}

} // namespace VexloCli
