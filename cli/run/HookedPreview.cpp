#include "HookedPreview.h"

#include "RunFiles.h"
#include "RunHooks.h"

#include <algorithm>
#include <optional>
#include <set>

namespace VexloCli {

using namespace RoseHost;

// A preview's components whose every file stands as the last run wrote it (the hook says
// which) are not generated: their files as they stand, by lower-case path. A selected
// class goes with them when all its components do; an add-in left nothing is not loaded.
std::map<std::wstring, std::string> LeaveOutUnchanged(const RunPlan& plan, std::map<std::wstring, Selection>& work)
{
    std::set<const Module*> changed;
    std::map<std::wstring, std::string> texts;
    for (const PlannedFile& file : plan.files) {
        std::optional<std::string> text = ReadWhole(file.path);
        if (text && CurrentRunHooks().unchanged(file.path, *text))
            texts[Lower(Slashed(file.path))] = std::move(*text);
        else
            changed.insert(file.module);
    }
    std::set<const Module*> unchanged;
    for (const PlannedFile& file : plan.files)
        if (!changed.count(file.module))
            unchanged.insert(file.module);
        else
            texts.erase(Lower(Slashed(file.path)));
    auto out = [&](const Module* m) { return unchanged.count(m) != 0; };
    for (auto& [language, selected] : work) {
        std::erase_if(selected.modules, out);
        std::erase_if(selected.classes, [&](const Class* c) {
            return !c->assignedModules.empty() && std::all_of(c->assignedModules.begin(), c->assignedModules.end(), out);
        });
    }
    std::erase_if(work, [](const auto& entry) { return entry.second.classes.empty() && entry.second.modules.empty(); });
    return texts;
}

// A preview for another command (reverse): each file's new text, in the user's form, with
// the file as it stands; the files of components left out with their text alone.
void HandTexts(const RunPlan& plan, const Shadow& shadow, const ZoneGuard& zoneGuard, TextForms& forms,
               const std::map<std::wstring, std::string>& leftOut)
{
    for (const PlannedFile& file : plan.files) {
        if (auto unchanged = leftOut.find(Lower(Slashed(file.path))); unchanged != leftOut.end()) {
            CurrentRunHooks().onGenerated({file.path, std::string(), &unchanged->second, true});
            continue;
        }
        std::optional<std::string> now = ReadWhole(shadow.PathOf(file));
        if (!now)
            continue; // the add-in wrote nothing there (its log says why)
        const std::string* old = zoneGuard.OriginalText(file.path);
        CurrentRunHooks().onGenerated(
            {file.path, forms.ToUser(file.path, *now, {old != nullptr, zoneGuard.OldLineEnds(file.path)}), old});
        zoneGuard.LetGo(file.path); // one old file in memory at a time
    }
}

OwnSettings OwnSettingsOf(const Model& model)
{
    OwnSettings settings{model.properties, {}};
    for (const Subsystem* subsystem : model.allSubsystems)
        settings.subsystems.push_back(subsystem->properties);
    return settings;
}

void PutBack(Model& model, OwnSettings settings)
{
    model.properties = std::move(settings.model);
    for (size_t i = 0; i < model.allSubsystems.size(); ++i)
        model.allSubsystems[i]->properties = std::move(settings.subsystems[i]);
}

} // namespace VexloCli
