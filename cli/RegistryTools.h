// What the command-line host does with the registry: read the add-in's registration,
// print keys, and put the virtual path map in place for one run.
#pragma once

#include "vxplat/Registry.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace VexloCli {

// The host's virtual path map, under HKEY_CURRENT_USER.
extern const wchar_t* const kPathMapKey;

// A virtual path symbol's folder: the last --path-map given for it, else the user's map.
std::function<std::optional<std::wstring>(const std::wstring&)>
PathMapLookup(const std::vector<std::pair<std::wstring, std::wstring>>& pathMap);

// A string value ("" = the default value) of a key, or nothing when the key or value is
// missing or not a string.
std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& key, const std::wstring& valueName);

// The names of the direct sub-keys of a key (empty when it does not exist).
std::vector<std::wstring> RegistrySubKeys(HKEY root, const std::wstring& key);

// The key and everything below it, one line per key ("ROOT\key") followed by its values
// indented ("  @ = "text"", "  Name = "text""). Nothing when the key does not exist.
void DumpRegistryKey(HKEY root, const std::wstring& rootName, const std::wstring& key,
                     std::vector<std::wstring>& lines);

// Puts the given symbols into the virtual path map for the life of the object, without
// writing the user's map: HKEY_CURRENT_USER stands, in this process only, for a volatile
// key that holds a copy of the user's map with the symbols added.
class ScopedPathMap {
public:
    explicit ScopedPathMap(const std::vector<std::pair<std::wstring, std::wstring>>& entries);
    ~ScopedPathMap();
    ScopedPathMap(const ScopedPathMap&) = delete;
    ScopedPathMap& operator=(const ScopedPathMap&) = delete;

private:
    void Remove();
    HKEY m_overlay = nullptr;
    bool m_overridden = false;
};

} // namespace VexloCli
