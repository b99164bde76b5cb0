#include "RunPlan.h"

#include "Console.h"
#include "ModelSetup.h"
#include "RunFiles.h"

#include "vxplat/Crt.h"

#include <algorithm>
#include <map>
#include <set>
#include <filesystem>

namespace VexloCli {

using namespace RoseHost;

namespace {

std::wstring Normal(const std::wstring& path)
{
    std::wstring text = Lower(Slashed(path));
    while (text.size() > 1 && text.back() == L'/')
        text.pop_back();
    return text;
}

std::wstring Where(const Model& model, const Element& element)
{
    std::wstring place = model.PlaceOf(element);
    return place.empty() ? model.fileName : place;
}

std::wstring Describe(const Element& element)
{
    if (element.kind == ElementKind::Module)
        return L"component " + QualifiedName(static_cast<const Module&>(element));
    if (element.kind == ElementKind::Subsystem) {
        std::wstring name = QualifiedName(static_cast<const Subsystem&>(element));
        return name.empty() ? L"the component view" : L"component package " + name;
    }
    return L"the model";
}

std::wstring Quote(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        _wcsupr(text.data());
    return text;
}

const std::wstring kNothing = L"; nothing was written. ";

[[noreturn]] void Refuse(const Model& model, const Element& element, const std::wstring& why, const std::wstring& fix)
{
    throw CliError(ExitModelLoad, Where(model, element) + L": " + Describe(element) + L" " + why + kNothing + fix);
}

bool IsAbsolute(const std::wstring& folder)
{
    return !folder.empty() && (folder[0] == L'\\' || folder[0] == L'/' || PathOf(Slashed(folder)).is_absolute());
}

} // namespace

std::optional<std::wstring> Below(const std::wstring& folder, const std::wstring& path)
{
    std::wstring f = Normal(folder), p = Normal(path);
    if (p == f)
        return std::wstring();
    if (f == L"/" && p.size() > 1 && p[0] == L'/')
        return Slashed(path).substr(1);
    if (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == L'/')
        return path.substr(f.size() + 1);
    return std::nullopt;
}

void NameComponents(RunPlan& plan)
{
    for (PlannedFile& file : plan.files) {
        if (file.module)
            file.component = L"component " + QualifiedName(*file.module);
        file.module = nullptr;
    }
}

size_t RunPlan::TopOf(const std::wstring& path) const
{
    for (size_t i = 0; i < tops.size(); ++i)
        if (Below(tops[i], path))
            return i;
    return tops.size();
}

RunPlan PlanRun(Model& model, const std::vector<const Module*>& modules, const PathSymbolLookup& lookup)
{
    RunPlan plan;
    auto baseIndex = [&plan](const std::wstring& folder) {
        for (size_t i = 0; i < plan.bases.size(); ++i)
            if (Normal(plan.bases[i]) == Normal(folder))
                return i;
        plan.bases.push_back(folder);
        return plan.bases.size() - 1;
    };
    for (const wchar_t* tool : {L"Delphi", L"C#"}) {
        baseIndex(ExpandPathSymbol(model.GetPropertyValue(model, tool, L"Directory"), lookup));
        for (const Subsystem* subsystem : model.allSubsystems) {
            std::wstring value = ExpandPathSymbol(model.GetPropertyValue(*subsystem, tool, L"Directory"), lookup);
            if (!IsDirectoryKeyword(value))
                baseIndex(Upper(value)); // the add-in upper-cases a package's own folder
        }
    }

    for (const Module* module : modules) {
        std::optional<ComponentOutput> out = ComponentOutputOf(model, *module, lookup);
        if (!out || !out->generated)
            continue;
        const Element& setBy = out->baseSetBy ? *out->baseSetBy : model;
        if (!out->unknownSymbol.empty())
            Refuse(model, setBy,
                   L"has the \"Directory\" " + Quote(model.GetPropertyValue(setBy, module->language, L"Directory")) +
                       L", and neither the virtual path map nor --path-map defines $" + out->unknownSymbol +
                       L" (it would expand to nothing and " + Quote(out->path) + L" would be written)",
                   L"Define it with --path-map " + out->unknownSymbol + L"=FOLDER and run again.");
        if (out->badName) {
            const Element& bad = *out->badName;
            Refuse(model, bad,
                   bad.name.empty() ? std::wstring(L"has no name, so its file or folder name would be empty")
                                    : L"is named " + Quote(bad.name.str()) +
                                          L", which is not a plain file or folder name (it holds a path separator, \":\", "
                                          L"a character Windows refuses in names or a control character, or is \".\", "
                                          L"\"..\" or a Windows device name), so its file would not lie in " +
                                          Quote(out->base),
                   L"Rename it in the model and run again.");
        }
        if (!IsAbsolute(out->base)) {
            const std::wstring value = model.GetPropertyValue(setBy, module->language, L"Directory");
            const std::wstring why =
                value.empty() ? L"has an empty \"Directory\" for " + module->language
                              : L"has the \"Directory\" " + Quote(value) + L" for " + module->language +
                                    (out->base != value ? L", which the path map makes " + Quote(out->base) : L"") +
                                    L", not a folder this system can write to (a relative path, or another "
                                    L"system's drive)";
            Refuse(model, setBy, why + L", so " + Quote(out->path) + L" would be written in no folder of the project",
                   L"Set it to \"AUTO GENERATE\", \".\" or a folder, or give --out or --path-map SYMBOL=FOLDER, "
                   L"and run again.");
        }
        std::optional<std::wstring> relative = Below(out->base, out->path);
        if (!relative || relative->empty())
            Refuse(model, *module, L"would be written to " + Quote(out->path) + L", outside " + Quote(out->base),
                   L"Check the component's name and its packages' \"Directory\" settings.");
        std::wstring folder = Normal(out->base);
        if (folder == L"/" || (folder.size() <= 3 && folder.size() >= 2 && folder[1] == L':'))
            Refuse(model, setBy,
                   L"has the \"Directory\" " + Quote(out->base) + L" for " + module->language +
                       L", the top of the file system, where a run would write among the system's folders",
                   L"Give a folder of the project (--out or --path-map) and run again.");
        auto same = std::find_if(plan.files.begin(), plan.files.end(),
                                 [&](const PlannedFile& f) { return Normal(f.path) == Normal(out->path); });
        if (same != plan.files.end() && same->module != module)
            Refuse(model, *module,
                   L"is written to " + Quote(out->path) + L", the file of " + Describe(*same->module) + L" (" +
                       Where(model, *same->module) + L") too, and one would overwrite the other",
                   L"Give one of them another name or folder and run again.");
        if (same != plan.files.end())
            continue;
        plan.files.push_back({out->path, module, baseIndex(out->base), *relative, {}});
    }

    // Only bases that receive a file: the lock and journal go nowhere else.
    std::vector<std::wstring> used;
    for (const PlannedFile& file : plan.files)
        used.push_back(plan.bases[file.base]);
    for (const std::wstring& base : used) {
        bool inner = std::any_of(used.begin(), used.end(), [&](const std::wstring& other) {
            return Normal(other) != Normal(base) && Below(other, base);
        });
        if (!inner && IsAbsolute(base) &&
            std::none_of(plan.tops.begin(), plan.tops.end(), [&](const std::wstring& t) { return Normal(t) == Normal(base); }))
            plan.tops.push_back(base);
    }
    return plan;
}

namespace {

std::wstring Named(const Element& element)
{
    switch (element.kind) {
    case ElementKind::Class: return L"class " + QualifiedName(static_cast<const Class&>(element));
    case ElementKind::Attribute:
    case ElementKind::Operation:
        return (element.kind == ElementKind::Attribute ? L"attribute " : L"operation ") +
               (element.owner && element.owner->kind == ElementKind::Class
                    ? QualifiedName(static_cast<const Class&>(*element.owner)) + L"."
                    : std::wstring()) +
               element.name.str();
    default: return Describe(element);
    }
}

} // namespace

std::vector<PlanConflict> FindConflicts(const Model& model, const std::vector<const Module*>& selected,
                                       const PathSymbolLookup& lookup)
{
    std::vector<PlanConflict> conflicts;
    std::set<const Module*> modules;
    std::map<std::wstring, const Module*> files;
    for (const Module* module : selected) {
        if (!modules.insert(module).second)
            continue;
        std::optional<ComponentOutput> out = ComponentOutputOf(model, *module, lookup);
        if (!out || !out->generated)
            continue;
        auto [it, fresh] = files.emplace(Normal(out->path), module);
        if (!fresh)
            conflicts.push_back({module, it->second, L"file " + Quote(out->path),
                                 L"is written to " + Quote(out->path) + L", the file of " + Describe(*it->second) +
                                     L" (" + Where(model, *it->second) + L") too, and one would overwrite the other",
                                 L"Give one of them another name or folder."});
    }
    // Every unique id in the order met (the first keeps it), sorted by hash: a map of
    // copied texts took a node and a string per element (50 MB at 20,000 classes).
    struct Id {
        size_t hash, order;
        const Element* element;
    };
    std::vector<Id> ids;
    auto check = [&](const Element& element) {
        if (!element.quid.empty())
            ids.push_back({element.quid.Hash(), ids.size(), &element});
    };
    for (const Module* module : modules)
        check(*module);
    for (const Class* cls : model.allClasses) {
        if (std::none_of(cls->assignedModules.begin(), cls->assignedModules.end(),
                         [&](const Module* m) { return modules.count(m) != 0; }))
            continue;
        check(*cls);
        for (const Attribute* attribute : cls->attributes)
            check(*attribute);
        for (const Operation* operation : cls->operations)
            check(*operation);
    }
    std::sort(ids.begin(), ids.end(), [](const Id& a, const Id& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.order < b.order;
    });
    std::vector<std::pair<size_t, PlanConflict>> twice; // by the order of the second
    for (size_t i = 0, end = 0; i < ids.size(); i = end) {
        for (end = i + 1; end < ids.size() && ids[end].hash == ids[i].hash; ++end) {
        }
        for (size_t j = i + 1; j < end; ++j) {
            const Element& element = *ids[j].element;
            for (size_t k = i; k < j; ++k) {
                const Element& first = *ids[k].element;
                if (!(first.quid == element.quid))
                    continue;
                if (&first != &element) {
                    const std::wstring quid = element.quid.str();
                    twice.push_back({ids[j].order,
                                     {&element, &first, L"unique id " + quid,
                                      L"has the unique id " + quid + L", as has " + Named(first) + L" (" +
                                          Where(model, first) + L"), and the zones of one would go to the other",
                                      L"Give one of them a new unique id (a copied element keeps its original's)."}});
                }
                break;
            }
        }
    }
    std::sort(twice.begin(), twice.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [order, conflict] : twice)
        conflicts.push_back(std::move(conflict));
    return conflicts;
}

std::wstring DescribeConflict(const Model& model, const PlanConflict& conflict)
{
    return Where(model, *conflict.element) + L": " + Named(*conflict.element) + L" " + conflict.message;
}

void RefuseDuplicateIds(const Model& model, const RunPlan& plan, const PathSymbolLookup& lookup)
{
    std::vector<const Module*> modules;
    for (const PlannedFile& file : plan.files)
        modules.push_back(file.module);
    for (const PlanConflict& conflict : FindConflicts(model, modules, lookup))
        throw CliError(ExitModelLoad, DescribeConflict(model, conflict) + kNothing + conflict.fix + L" Run again.");
}

std::vector<std::wstring> GeneratedFiles(const Model& model, const std::vector<Class*>& classes,
                                         const std::vector<Module*>& modules, const PathSymbolLookup& lookup)
{
    std::vector<const Module*> all(modules.begin(), modules.end());
    for (const Class* cls : classes)
        all.insert(all.end(), cls->assignedModules.begin(), cls->assignedModules.end());
    std::vector<std::wstring> files;
    for (const Module* module : all)
        if (std::optional<ComponentOutput> out = ComponentOutputOf(model, *module, lookup); out && out->generated)
            files.push_back(out->path);
    return files;
}

} // namespace VexloCli
