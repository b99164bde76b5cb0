// What another command asks of a generation run: `vexlo reverse` runs generate's preview
// to learn what the model gives each file now, and hands the add-in zones of its own for
// elements it has just added (the user's method bodies), beside the old file's.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace RoseHost {
struct Model;
}

namespace VexloCli {

struct GeneratedFile {
    std::wstring path;               // the real path
    std::string text;                // what the model generates for it now
    const std::string* old = nullptr; // the file as it stands; null when there is none
    bool leftOut = false;             // not generated (see RunHooks::unchanged); text is empty
};

struct RunHooks {
    // Called for every file of a preview run; the preview then prints nothing.
    std::function<void(const GeneratedFile&)> onGenerated;
    // For a preview: whether a file, as it stands, is what the last run wrote (no change of
    // the code in it). A component whose every file is so is left out of the preview; its
    // files still reach onGenerated, marked leftOut.
    std::function<bool(const std::wstring& path, const std::string& text)> unchanged;
    // Called with the model as the run loaded it, before anything else looks at it.
    std::function<void(const RoseHost::Model&)> onLoaded;
    // After a preview that handed its texts to onGenerated: the model it loaded, with its
    // settings as loaded (the run's redirection of the output folders undone).
    std::function<void(std::shared_ptr<RoseHost::Model>)> keepModel;
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
