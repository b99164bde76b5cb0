// What another command asks of a generation run: `vexlo reverse` runs generate's preview
// to learn what the model gives each file now, and hands the add-in zones of its own for
// elements it has just added (the user's method bodies), beside the old file's.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace VexloCli {

struct GeneratedFile {
    std::wstring path;               // the real path
    std::string text;                // what the model generates for it now
    const std::string* old = nullptr; // the file as it stands; null when there is none
};

struct RunHooks {
    // Called for every file of a preview run; the preview then prints nothing.
    std::function<void(const GeneratedFile&)> onGenerated;
    // Zones (in marker form) appended to the add-in's copy of an old file, by lower-case
    // "/"-separated path: the add-in finds them by their new ids.
    std::map<std::wstring, std::string> extraZones;
    // The lines of a user's file (by lower-case "/"-separated path) that the regeneration
    // need not save: their declarations were read back and the new text holds them.
    std::function<std::set<int>(const std::wstring& path, const std::string& now)> readBack;
};

// The hooks of the next run in this process (none by default).
RunHooks& CurrentRunHooks();

} // namespace VexloCli
