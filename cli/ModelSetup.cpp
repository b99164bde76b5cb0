#include "ModelSetup.h"

#include "Console.h"
#include "ModelLoader.h"

#include "vxplat/Files.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

namespace VexloCli {

using namespace RoseHost;

namespace {

const wchar_t* const kPropertyFiles[] = {L"Delphi.pty", L"CSharp.pty"};

// A run ends soon after its model's last use: the system takes the whole process back
// at once, far faster than freeing the elements one by one. The models stay reachable
// from here, so leak checkers do not count them.
std::vector<std::shared_ptr<Model>>& Kept()
{
    static auto* const kept = new std::vector<std::shared_ptr<Model>>();
    return *kept;
}

void KeepUntilExit(const std::shared_ptr<Model>& model) { Kept().push_back(model); }

bool FileExists(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// A component name that is also a valid unit or file name.
std::wstring IdentifierOf(const std::wstring& name)
{
    std::wstring id;
    for (wchar_t c : name)
        id += (std::iswalnum(static_cast<wint_t>(c)) || c == L'_') ? c : L'_';
    if (id.empty() || std::iswdigit(static_cast<wint_t>(id[0])))
        id.insert(0, 1, L'_');
    return id;
}

std::wstring FileStem(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

size_t EditDistance(const std::wstring& a, const std::wstring& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::wstring LastSegment(const std::wstring& name)
{
    size_t sep = name.rfind(L"::");
    return sep == std::wstring::npos ? name : name.substr(sep + 2);
}

// The name given on the command line names the element when it is its qualified name,
// that name with the root package in front, or a tail of it starting at a "::".
bool NameMatches(const std::wstring& given, const std::wstring& qualified, const std::wstring& rootName)
{
    if (given == qualified || given == rootName + L"::" + qualified)
        return true;
    return qualified.size() >= given.size() + 2 && qualified.compare(qualified.size() - given.size(), given.size(), given) == 0 &&
           qualified.compare(qualified.size() - given.size() - 2, 2, L"::") == 0;
}

template <class T>
std::vector<T*> Resolve(const std::vector<std::wstring>& names, const std::vector<T*>& all, const std::wstring& rootName,
                        const wchar_t* what)
{
    std::vector<T*> found;
    std::vector<std::wstring> qualified;
    for (T* e : all)
        qualified.push_back(QualifiedName(*e));
    for (const std::wstring& name : names) {
        std::vector<size_t> hits;
        for (size_t i = 0; i < all.size(); ++i)
            if (NameMatches(name, qualified[i], rootName))
                hits.push_back(i);
        if (hits.empty()) {
            std::wstring message = L"no " + std::wstring(what) + L" named \"" + name + L"\" in the model";
            std::vector<std::wstring> close = CloseMatches(name, qualified);
            if (close.empty()) {
                message += L" (no similar names)";
            } else {
                message += L"; did you mean:";
                for (const std::wstring& c : close)
                    message += L"\n  " + c;
            }
            throw CliError(ExitUsage, message);
        }
        if (hits.size() > 1) {
            std::wstring message = L"the " + std::wstring(what) + L" name \"" + name + L"\" is ambiguous; qualify it:";
            for (size_t i : hits)
                message += L"\n  " + qualified[i];
            throw CliError(ExitUsage, message);
        }
        T* element = all[hits.front()];
        if (std::find(found.begin(), found.end(), element) == found.end())
            found.push_back(element);
    }
    return found;
}

} // namespace

void SetOwnProperty(Element& element, const std::wstring& tool, const std::wstring& name, const std::wstring& value)
{
    for (ToolProperty& p : element.properties) {
        if (p.tool == tool && p.name == name) {
            p.value = value;
            return;
        }
    }
    ToolProperty p;
    p.tool = tool;
    p.name = name;
    p.value = value;
    p.type = L"String";
    element.properties.push_back(std::move(p));
}

std::wstring FindPropertiesFolder(const std::wstring& executableFolder)
{
    std::vector<std::wstring> candidates;
    if (!executableFolder.empty())
        candidates.push_back(executableFolder + L"/../share/vexlo/properties");
    candidates.push_back(ArgumentText(VEXLO_SOURCE_PROPERTIES));
    for (const std::wstring& folder : candidates) {
        bool all = true;
        for (const wchar_t* file : kPropertyFiles)
            all = all && FileExists(folder + L"/" + file);
        if (all)
            return folder;
    }
    return std::wstring();
}

std::shared_ptr<Model> LoadModel(const Options& options, const std::wstring& propertiesFolder, const PrepareLoad& prepare)
{
    LoadOptions load;
    load.codePage = options.codePage;
    for (const auto& [symbol, dir] : options.pathMap)
        load.pathMap[symbol] = dir;
    if (prepare)
        prepare(load);
    try {
        std::shared_ptr<Model> model = LoadRoseModel(options.path, load);
        if (!propertiesFolder.empty()) {
            // The shipped sets are defaults: what the model file defines itself wins.
            DefaultPropertySets own = std::move(model->defaults);
            model->defaults.clear();
            for (const wchar_t* file : kPropertyFiles)
                model->MergeDefaults(LoadPropertyFile(propertiesFolder + L"/" + file, load));
            model->MergeDefaults(own);
            ResolveEnumerations(*model);
        }
        KeepUntilExit(model);
        return model;
    } catch (const RoseLoadError& error) {
        throw CliError(ExitModelLoad, error.WideWhat());
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        throw CliError(ExitModelLoad, options.path + L": " + ArgumentText(error.what()));
    }
}

void LetGoOfModel(std::shared_ptr<Model>& model)
{
    std::erase(Kept(), model);
    model.reset();
}

void AssignLanguage(Model& model, const std::wstring& language)
{
    for (Module* module : model.allModules)
        module->language = language;
    if (!model.rootSubsystem)
        return;

    std::map<Category*, Module*> byPackage;
    std::set<std::wstring> taken;
    for (Module* module : model.rootSubsystem->modules)
        taken.insert(Lower(module->name));
    const std::vector<Class*> classes = model.allClasses;
    for (Class* cls : classes) {
        // Nested classes are written with their outer class.
        if (!cls->assignedModules.empty() || cls->parentClass || !cls->parentCategory)
            continue;
        Category* package = cls->parentCategory;
        Module*& module = byPackage[package];
        if (!module) {
            std::wstring base = IdentifierOf(package->isRoot ? FileStem(model.fileName) : package->name.str());
            std::wstring name = base;
            for (int n = 2; taken.count(Lower(name)); ++n)
                name = base + std::to_wstring(n);
            taken.insert(Lower(name));
            module = model.Create<Module>(model.rootSubsystem);
            module->name = name;
            // Derived from the package's id, so that a later run finds the same zones.
            module->quid = package->quid + L"-" + language + L"-M";
            module->type = L"Package Specification";
            module->part = L"Specification";
            module->language = language;
            module->parentSubsystem = model.rootSubsystem;
            model.rootSubsystem->modules.push_back(module);
            model.allModules.push_back(module);
            model.IndexQuid(module);
        }
        module->assignedClasses.push_back(cls);
        cls->assignedModules.push_back(module);
        cls->language = language;
    }
}

void SetOutputDirectory(Model& model, const std::wstring& folder)
{
    SetOwnProperty(model, L"Delphi", L"Directory", folder);
    SetOwnProperty(model, L"C#", L"Directory", folder);
}

std::wstring QualifiedName(const Category& category)
{
    if (category.isRoot || !category.parent)
        return category.isRoot ? std::wstring() : category.name.str();
    std::wstring parent = QualifiedName(*category.parent);
    return parent.empty() ? category.name.str() : parent + L"::" + category.name;
}

std::wstring QualifiedName(const Subsystem& subsystem)
{
    if (subsystem.isRoot || !subsystem.parent)
        return subsystem.isRoot ? std::wstring() : subsystem.name.str();
    std::wstring parent = QualifiedName(*subsystem.parent);
    return parent.empty() ? subsystem.name.str() : parent + L"::" + subsystem.name;
}

std::wstring QualifiedName(const Class& cls)
{
    std::wstring outer;
    if (cls.parentClass)
        outer = QualifiedName(*cls.parentClass);
    else if (cls.parentCategory)
        outer = QualifiedName(*cls.parentCategory);
    return outer.empty() ? cls.name.str() : outer + L"::" + cls.name;
}

std::wstring QualifiedName(const Module& module)
{
    std::wstring outer = module.parentSubsystem ? QualifiedName(*module.parentSubsystem) : std::wstring();
    return outer.empty() ? module.name.str() : outer + L"::" + module.name;
}

std::wstring LanguageOf(const Class& cls)
{
    return cls.assignedModules.empty() ? std::wstring() : cls.assignedModules.front()->language;
}

Selection SelectElements(const Model& model, const std::vector<std::wstring>& classNames,
                         const std::vector<std::wstring>& componentNames)
{
    Selection selection;
    if (classNames.empty() && componentNames.empty()) {
        for (Module* module : model.allModules)
            if (module->language == L"Delphi" || module->language == L"C#")
                selection.modules.push_back(module);
        return selection;
    }
    const std::wstring logicalRoot = model.rootCategory ? model.rootCategory->name : L"Logical View";
    const std::wstring componentRoot = model.rootSubsystem ? model.rootSubsystem->name : L"Component View";
    selection.classes = Resolve(classNames, model.allClasses, logicalRoot, L"class");
    selection.modules = Resolve(componentNames, model.allModules, componentRoot, L"component");
    return selection;
}

std::vector<std::wstring> CloseMatches(const std::wstring& name, const std::vector<std::wstring>& candidates,
                                       size_t limit)
{
    const std::wstring wanted = Lower(LastSegment(name));
    const std::wstring wantedFull = Lower(name);
    std::vector<std::pair<size_t, std::wstring>> scored;
    for (const std::wstring& candidate : candidates) {
        std::wstring last = Lower(LastSegment(candidate));
        size_t distance = std::min(EditDistance(wanted, last), EditDistance(wantedFull, Lower(candidate)));
        bool substring = !wanted.empty() && (last.find(wanted) != std::wstring::npos ||
                                             (last.size() >= 3 && wanted.find(last) != std::wstring::npos));
        size_t allowed = std::max<size_t>(2, wanted.size() / 3);
        if (substring)
            distance = std::min<size_t>(distance, 1);
        if (distance <= allowed && !last.empty())
            scored.emplace_back(distance, candidate);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::wstring> result;
    for (const auto& [distance, candidate] : scored) {
        if (result.size() >= limit)
            break;
        if (std::find(result.begin(), result.end(), candidate) == result.end())
            result.push_back(candidate);
    }
    return result;
}

} // namespace VexloCli
