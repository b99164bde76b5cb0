#include "Commands.h"

#include "AddinLoader.h"
#include "Automation.h"
#include "Console.h"
#include "FailureNotes.h"
#include "ModelSetup.h"
#include "OutputPaths.h"
#include "RegistryTools.h"
#include "RunChecks.h"
#include "VexloIds.h"
#include "ZoneGuard.h"

#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

namespace VexloCli {

using namespace RoseHost;

namespace {

const wchar_t* const kLanguages[] = {L"Delphi", L"C#"};

std::wstring ProgIdOf(const std::wstring& language)
{
    return language == L"Delphi" ? L"Vexlo.VXRoseDelphiAddin" : L"Vexlo.VXRoseCSharpAddin";
}

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// Releases the application object and puts the real executable back on every way out.
struct HostSession {
    IDispatch* application = nullptr;
    bool imagePathSet = false;
    ~HostSession()
    {
        if (application)
            application->Release();
        if (imagePathSet)
            VxpSetProcessImagePath(nullptr);
    }
};

struct LoadedAddin {
    std::wstring language;
    std::unique_ptr<Addin> addin;
    bool active = false;
};

void PrintFailure(const std::wstring& what, const CallFailure& failure)
{
    ErrLine(L"vexlo: " + what + L" failed with HRESULT " + HexCode(failure.hr));
    if (!failure.description.empty())
        ErrLine(failure.description);
    if (!failure.source.empty())
        ErrLine(L"source: " + failure.source);
}

std::wstring Names(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const std::wstring& n : names)
        text += (text.empty() ? L"" : L", ") + n;
    return text.empty() ? L"-" : text;
}

PathSymbolLookup PathMapLookup(const Options& options)
{
    return [&options](const std::wstring& symbol) -> std::optional<std::wstring> {
        for (auto it = options.pathMap.rbegin(); it != options.pathMap.rend(); ++it)
            if (it->first == symbol)
                return it->second;
        return ReadRegistryString(HKEY_CURRENT_USER, kPathMapKey, symbol);
    };
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

int RunGenerate(const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    HostTrace trace(options.traceHost);

    std::wstring properties = FindPropertiesFolder(installation.executableFolder);
    if (properties.empty())
        Warn(L"the property sets Delphi.pty and CSharp.pty were not found; only the model's own properties apply");
    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, properties, codePage);
    Selection selection = SelectElements(*model, options.classes, options.components);

    // Each add-in gets the selected elements of its language: every add-in generates
    // whatever language an element has, so a shared selection would be written twice.
    std::map<std::wstring, Selection> work;
    for (Class* cls : selection.classes) {
        std::wstring language = LanguageOf(*cls);
        if (language == L"Delphi" || language == L"C#")
            work[language].classes.push_back(cls);
        else
            Warn(L"class " + QualifiedName(*cls) + L" is skipped: " +
                 (language.empty() ? std::wstring(L"it has no language") : L"its language is " + Quoted(language)));
    }
    for (Module* module : selection.modules) {
        if (module->language == L"Delphi" || module->language == L"C#")
            work[module->language].modules.push_back(module);
        else
            Warn(L"component " + QualifiedName(*module) + L" is skipped: " +
                 (module->language.empty() ? std::wstring(L"it has no language")
                                           : L"its language is " + Quoted(module->language)));
    }
    if (work.empty()) {
        Warn(L"nothing to generate: no selected class or component has the language Delphi or C#"
             L" (--language assigns one)");
        return ExitOk;
    }

    // The old files are read, and refused when unsafe, before anything is written.
    ZoneGuard zoneGuard(options.strictZones);
    std::vector<std::wstring> outputFiles;
    for (const auto& [language, selected] : work)
        for (const std::wstring& file : GeneratedFiles(*model, selected.classes, selected.modules, PathMapLookup(options)))
            outputFiles.push_back(file);
    zoneGuard.ReadOldFiles(outputFiles);

    ScopedPathMap pathMap(options.pathMap);
    CheckOldFiles(OutputFilesOf(*model, selection.modules, selection.classes, PathMapLookup(options)), codePage.codePage);
    HostSession session;
    std::wstring image = HostImagePath(options.host);
    if (VxpSetProcessImagePath(image.c_str())) {
        session.imagePathSet = true;
        trace(L"executable " + image);
    } else if (options.hostGiven) {
        Warn(L"--host is only honoured through the real executable name here (the add-in sees " +
             installation.executablePath + L")");
    }

    AutomationHost host(model);
    host.SetLogSink([](const std::wstring& line) { OutLine(line); });
    for (const FailureOption& failure : options.failures)
        host.SetFailure(failure.member, static_cast<HRESULT>(failure.hresult), failure.times);
    session.application = host.CreateApplication();

    std::vector<LoadedAddin> addins;
    for (const wchar_t* language : kLanguages)
        if (work.count(language))
            addins.push_back({language, Addin::Create(ProgIdOf(language), installation.modulePath, trace), false});

    int exitCode = ExitOk;
    CallFailure failure;
    auto fail = [&](const LoadedAddin& a, const wchar_t* method) {
        PrintFailure(a.addin->ProgId() + L"." + method, failure);
        for (const std::wstring& line : ExplainFailure(failure.hr, failure.description,
                                                       DescribeLastHanded(*model, host.LastHanded(ElementKind::Module),
                                                                          host.LastHanded(ElementKind::Class))))
            ErrLine(line);
        exitCode = ExitHostError;
    };

    for (LoadedAddin& a : addins) {
        size_t before = host.ContextMenuItems().size();
        if (!a.addin->Call(L"OnActivate", session.application, nullptr, nullptr, failure)) {
            fail(a, L"OnActivate");
            break;
        }
        a.active = true;
        std::vector<ContextMenuItemRecord> items = host.ContextMenuItems();
        for (size_t i = before; i < items.size(); ++i)
            trace(L"menu item added through " + Quoted(items[i].addIn) + L": type " + std::to_wstring(items[i].itemType) +
                  L" " + Quoted(items[i].caption) + L" (" + items[i].internalName + L")");
    }

    auto generationPass = [&] {
        for (LoadedAddin& a : addins) {
            if (exitCode != ExitOk)
                break;
            const Selection& mine = work[a.language];
            host.SetSelection(mine.classes, mine.modules);
            std::vector<std::wstring> classNames, moduleNames;
            for (Class* c : mine.classes)
                classNames.push_back(QualifiedName(*c));
            for (Module* m : mine.modules)
                moduleNames.push_back(QualifiedName(*m));
            trace(L"selection for " + a.language + L": classes " + Names(classNames) + L"; components " +
                  Names(moduleNames));

            if (!options.menu) {
                if (!a.addin->Call(L"OnGenerateCode", session.application, nullptr, nullptr, failure))
                    fail(a, L"OnGenerateCode");
                continue;
            }
            // As a user opening the context menu and picking "Generate Code".
            std::optional<SHORT> menuType;
            for (const ContextMenuItemRecord& item : host.ContextMenuItems())
                if (item.addIn == a.language && item.internalName == L"CODEGEN") {
                    menuType = item.itemType;
                    break;
                }
            if (!menuType) {
                Warn(L"the " + a.language + L" add-in added no \"Generate Code\" menu item;"
                     L" choosing CODEGEN anyway");
            } else if (!a.addin->Call(L"OnEnableContextMenuItems", session.application, nullptr, &*menuType, failure)) {
                fail(a, L"OnEnableContextMenuItems");
                continue;
            }
            const std::wstring codegen = L"CODEGEN";
            if (!a.addin->Call(L"OnSelectedContextMenuItem", session.application, &codegen, nullptr, failure))
                fail(a, L"OnSelectedContextMenuItem");
        }
    };
    generationPass();
    // Zones whose element moved to another file of the run are placed by a second pass.
    if (exitCode == ExitOk && zoneGuard.CarryDroppedZones())
        generationPass();

    // As when Rose closes: every active add-in is deactivated, also after a failure.
    for (LoadedAddin& a : addins) {
        if (!a.active)
            continue;
        CallFailure deactivation;
        if (!a.addin->Call(L"OnDeactivate", session.application, nullptr, nullptr, deactivation)) {
            PrintFailure(a.addin->ProgId() + L".OnDeactivate", deactivation);
            exitCode = ExitHostError;
        }
    }
    addins.clear();
    int zones = zoneGuard.SaveWhatWasLost();
    return exitCode == ExitOk ? zones : exitCode;
}

int RunShow(const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    std::wstring properties = FindPropertiesFolder(installation.executableFolder);
    if (properties.empty())
        Warn(L"the property sets Delphi.pty and CSharp.pty were not found; only the model's own properties apply");
    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, properties, codePage);
    PathSymbolLookup lookup = PathMapLookup(options);

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
