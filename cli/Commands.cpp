#include "Commands.h"

#include "AddinLoader.h"
#include "Automation.h"
#include "Console.h"
#include "FailureNotes.h"
#include "ModelSetup.h"
#include "OutputPaths.h"
#include "RegistryTools.h"
#include "RunChecks.h"
#include "ShowMembers.h"
#include "VexloIds.h"
#include "run/RunPlan.h"
#include "zones/ZoneGuard.h"

#include "ElementProperties.h"

#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace VexloCli {

using namespace RoseHost;

namespace {

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

Installation FindInstallation()
{
    Installation installation;
    std::vector<wchar_t> buffer(32768);
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    installation.executablePath.assign(buffer.data(), length);
    installation.executableFolder = FolderOf(installation.executablePath);
    std::wstring moduleName = ArgumentText(VEXLO_MODULE_NAME);
    installation.modulePath =
        installation.executableFolder.empty() ? moduleName : installation.executableFolder + L"/" + moduleName;
    return installation;
}

namespace {

// With --properties: the element's properties of both tools under its line, those that
// differ from the default set first ("*", with the default), then the others.
void ShowProperties(const Options& options, const Model& model, const Element& e, size_t depth)
{
    if (!options.properties)
        return;
    const std::wstring indent(depth * 2 + 4, L' ');
    for (const std::wstring& tool : VexloDiagram::PropertyTools()) {
        const std::vector<VexloDiagram::PropertyRow> rows = VexloDiagram::PropertyRows(model, e, tool);
        if (rows.empty())
            continue;
        OutLine(indent + tool + L" properties (\"" + model.DefaultSetName(e) + L"\" set; * differs from the default):");
        for (const VexloDiagram::PropertyRow& r : rows)
            OutLine(indent + (r.changed ? L"* " : L"  ") + ArgumentText(r.name.c_str()) + L" = " +
                    Quoted(ArgumentText(r.value.c_str())) +
                    (r.changed ? L" (default " + Quoted(ArgumentText(r.defaultValue.c_str())) + L")" : std::wstring()));
    }
}

} // namespace

int RunShow(const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, installation.executableFolder, codePage);
    PathSymbolLookup lookup = PathMapLookup(options.pathMap);

    OutLine(L"Model " + model->fileName);
    OutLine(L"  \"Directory\": Delphi " + Quoted(model->GetPropertyValue(*model, L"Delphi", L"Directory")) + L", C# " +
            Quoted(model->GetPropertyValue(*model, L"C#", L"Directory")));
    OutLine(L"  code page: " + CodePageText(codePage));

    // Logical packages and their classes.
    std::function<void(const Category&, int)> showCategory = [&](const Category& category, int depth) {
        std::wstring indent(static_cast<size_t>(depth) * 2, L' ');
        OutLine(indent + (category.isRoot ? category.name.str() : L"package " + category.name));
        std::function<void(const Class&, int)> showClass = [&](const Class& cls, int level) {
            std::wstring line(static_cast<size_t>(level) * 2, L' ');
            std::wstring language = LanguageOf(cls);
            line += L"class " + cls.name + L" [" + (language.empty() ? L"no language" : language) + L"]";
            std::vector<std::wstring> components;
            for (const Module* m : cls.assignedModules)
                components.push_back(QualifiedName(*m));
            line += components.empty() ? L" not assigned" : L" -> " + Names(components);
            OutLine(line);
            ShowProperties(options, *model, cls, static_cast<size_t>(level));
            if (options.members)
                ShowMembers(*model, cls, static_cast<size_t>(level));
            for (const Class* nested : cls.nestedClasses)
                showClass(*nested, level + 1);
        };
        for (const Class* cls : category.classes)
            if (!cls->parentClass)
                showClass(*cls, depth + 1);
        for (const Category* sub : category.categories)
            showCategory(*sub, depth + 1);
    };
    if (model->rootCategory)
        showCategory(*model->rootCategory, 0);

    // Component packages and their components with the file each one becomes.
    std::function<void(const Subsystem&, int)> showSubsystem = [&](const Subsystem& subsystem, int depth) {
        std::wstring indent(static_cast<size_t>(depth) * 2, L' ');
        OutLine(indent + (subsystem.isRoot ? subsystem.name.str() : L"subsystem " + subsystem.name) + L"  \"Directory\": Delphi " +
                Quoted(model->GetPropertyValue(subsystem, L"Delphi", L"Directory")) + L", C# " +
                Quoted(model->GetPropertyValue(subsystem, L"C#", L"Directory")));
        for (const Module* module : subsystem.modules) {
            std::wstring line = indent + L"  component " + module->name + L" [" +
                                (module->language.empty() ? L"no language" : module->language) + L"]";
            if (std::optional<ComponentOutput> out = ComponentOutputOf(*model, *module, lookup)) {
                if (!out->kind.empty())
                    line += L" " + out->kind;
                line += L" -> " + out->path;
                if (!out->generated)
                    line += L" (not written: \"GenerateCode\" is not TRUE)";
            }
            OutLine(line);
            ShowProperties(options, *model, *module, static_cast<size_t>(depth) + 1);
            std::vector<std::wstring> classes;
            for (const Class* cls : module->assignedClasses)
                classes.push_back(QualifiedName(*cls));
            if (!classes.empty())
                OutLine(indent + L"    classes: " + Names(classes));
        }
        for (const Subsystem* sub : subsystem.subsystems)
            showSubsystem(*sub, depth + 1);
    };
    if (model->rootSubsystem)
        showSubsystem(*model->rootSubsystem, 0);
    // What a generation would refuse: two components to one file, one unique id twice.
    std::vector<const Module*> generated;
    for (const Module* module : model->allModules)
        if (module->language == L"Delphi" || module->language == L"C#")
            generated.push_back(module);
    for (const PlanConflict& conflict : FindConflicts(*model, generated, lookup))
        OutLine(L"conflict: " + DescribeConflict(*model, conflict));
    return ExitOk;
}

int RunRegister(const Options& options, const Installation& installation, bool unregister)
{
    TakeOverMessageBoxes();
    HostTrace trace(false);
    std::wstring module = options.path.empty() ? installation.modulePath : options.path;
    RegistrationLock lock(module);
    HRESULT hr = RunRegistration(module, unregister, trace);
    if (FAILED(hr)) {
        ErrLine(L"vexlo: " + std::wstring(unregister ? L"DllUnregisterServer" : L"DllRegisterServer") + L" of " + module +
                L" failed with HRESULT " + HexCode(hr));
        return ExitAddinLoad;
    }
    OutLine(std::wstring(unregister ? L"Unregistered " : L"Registered ") + module);

    std::vector<std::wstring> lines;
    for (const std::wstring& key : RegistrySubKeys(HKEY_CLASSES_ROOT, L""))
        if (key.compare(0, 6, L"Vexlo.") == 0)
            DumpRegistryKey(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", key, lines);
    for (const CLSID* clsid : {&CLSID_VXRoseDelphiAddin, &CLSID_VXRoseCSharpAddin})
        DumpRegistryKey(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"CLSID\\" + GuidText(*clsid), lines);
    for (const IID* iid : {&IID_IVXRoseDelphiAddin, &IID_IVXRoseCSharpAddin})
        DumpRegistryKey(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"Interface\\" + GuidText(*iid), lines);
    DumpRegistryKey(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", L"TypeLib\\" + GuidText(LIBID_VexloLib), lines);
    if (lines.empty())
        OutLine(L"No Vexlo keys are registered.");
    for (const std::wstring& line : lines)
        OutLine(line);
    return ExitOk;
}

} // namespace VexloCli
