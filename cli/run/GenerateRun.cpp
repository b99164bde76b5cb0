// `vexlo generate` as a transaction: the files of the run are planned and confined
// first, the output folders locked and a journal an interrupted run left recovered, the
// old files read (and refused when unsafe), then the add-in generates into a shadow of
// the output folders, every old zone is accounted for by its key, and only then the
// changed files are committed (journal first) with the recovery files, or, for
// --dry-run/--check/--diff, described.
#include "Commands.h"

#include "AddinLoader.h"
#include "Automation.h"
#include "Console.h"
#include "FailureNotes.h"
#include "ModelSetup.h"
#include "RegistryTools.h"
#include "RunChecks.h"
#include "zones/ZoneGuard.h"
#include "run/Journal.h"
#include "run/RunBases.h"
#include "run/RunFiles.h"
#include "run/RunHooks.h"
#include "run/RunLock.h"
#include "run/RunPlan.h"
#include "run/RunReport.h"
#include "run/Shadow.h"
#include "run/TextDiff.h"
#include "run/TextForm.h"
#include "system/AddinSystemCalls.h"

#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"

#include <filesystem>
#include <map>
#include <optional>

namespace VexloCli {

using namespace RoseHost;

namespace {

const wchar_t* const kLanguages[] = {L"Delphi", L"C#"};

std::wstring ProgIdOf(const std::wstring& language)
{
    return language == L"Delphi" ? L"Vexlo.VXRoseDelphiAddin" : L"Vexlo.VXRoseCSharpAddin";
}

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

void PrintFailure(const std::wstring& what, const CallFailure& failure, const Shadow& shadow)
{
    ErrLine(L"vexlo: " + what + L" failed with HRESULT " + HexCode(failure.hr));
    if (!failure.description.empty())
        ErrLine(shadow.ToReal(failure.description));
    if (!failure.source.empty())
        ErrLine(L"source: " + failure.source);
}

struct Outcome {
    std::vector<FileChange> changes;
    std::vector<std::wstring> unchanged;
};

// Each add-in gets the selected elements of its language: every add-in generates
// whatever language an element has, so a shared selection would be written twice.
std::map<std::wstring, Selection> SplitByLanguage(const Selection& selection, RunReport& report)
{
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
    for (const auto& [language, selected] : work) {
        for (Class* c : selected.classes)
            report.classes.push_back(QualifiedName(*c));
        for (Module* m : selected.modules)
            report.components.push_back(QualifiedName(*m));
    }
    return work;
}

// What the run changes, file by file, against the user's real files.
Outcome Compare(const RunPlan& plan, const Shadow& shadow, const ZoneGuard& zoneGuard, RunBases& bases,
                TextForms& forms, RunReport& report, bool diff, std::string& diffs)
{
    Outcome outcome;
    // The base stores record the texts where they are (these changes, or the old files):
    // no element may move until the commit is done.
    outcome.changes.reserve(plan.files.size());
    std::map<std::wstring, size_t> carriedInto, savedFrom;
    for (const CarriedZone& c : zoneGuard.Carried())
        ++carriedInto[Lower(c.to)];
    for (const RecoveryEntry& e : zoneGuard.Recovery())
        ++savedFrom[Lower(e.file)];
    for (const PlannedFile& file : plan.files) {
        std::optional<std::string> now = ReadWhole(shadow.PathOf(file));
        if (!now)
            continue; // the add-in wrote nothing there (its log says why)
        // The user's line ends and encoding, so that the base and the comparison see the file as written.
        *now = forms.ToUser(file.path, *now, zoneGuard.OriginalText(file.path));
        const std::string* old = zoneGuard.OriginalText(file.path);
        if (CurrentRunHooks().onGenerated)
            CurrentRunHooks().onGenerated({file.path, *now, old});
        // A file the last run generated just so keeps its record (and its zones' origins).
        const bool record = !old || *old != *now || !(zoneGuard.OldIsBase(file.path) || bases.Holds(file.path, *now));
        ZoneKeys defaults;
        if (record) {
            defaults = zoneGuard.DefaultZones(file.path, *now);
            // Zones another command handed the add-in hold the user's text, not the generator's.
            if (auto extra = CurrentRunHooks().extraZones.find(Lower(Slashed(file.path)));
                extra != CurrentRunHooks().extraZones.end())
                for (const ScannedZone& zone : ScanZoneText(extra->second).zones)
                    defaults.erase({std::string(zone.id), std::string(zone.tag)});
        }
        std::wstring shown = Slashed(file.path);
        std::wstring action = !old ? L"create" : *old == *now ? L"unchanged" : L"replace";
        report.files.push_back({shown, action, now->size(), CountZones(*now), carriedInto[Lower(shown)],
                                savedFrom[Lower(shown)], FirstChangedLine(old, *now)});
        if (action == L"unchanged") {
            if (record)
                bases.Record(file.path, *old, std::move(defaults));
            outcome.unchanged.push_back(shown);
            continue;
        }
        if (diff) {
            std::wstring relative = Below(plan.tops[plan.TopOf(file.path)], file.path).value_or(shown);
            diffs += UnifiedDiff(old, *now, Narrow(Slashed(relative)));
        }
        outcome.changes.push_back({file.path, std::move(*now), old, L"component " + QualifiedName(*file.module),
                                   zoneGuard.IdentityOf(file.path)});
        if (record)
            bases.Record(file.path, outcome.changes.back().newText, std::move(defaults));
    }
    for (const std::wstring& stale : bases.Stale())
        report.files.push_back({stale, L"stale", 0, 0, 0, 0});
    return outcome;
}

// --dry-run, --check, --diff: what the run would do, and for --check whether it is needed.
int Describe(const Options& options, const RunReport& report, const Outcome& outcome, const ZoneGuard& zoneGuard,
             const std::string& diffs, size_t stale)
{
    // Beside a diff on standard output, the notes go to standard error: the patch stays a patch.
    auto note = [&](const std::wstring& line) { options.diff ? ErrLine(line) : OutLine(line); };
    for (const ReportFile& f : report.files) // stale files were named when found
        if (f.action != L"stale" && (!options.check || f.action != L"unchanged" || options.dryRun))
            note(f.action + L": " + ReportPath(f.path));
    for (const RecoveryEntry& e : zoneGuard.Recovery())
        note(L"would save: " + e.file + L":" + std::to_wstring(e.line) + L": " + e.reason + L" (to " + e.recovery +
             L")");
    if (!diffs.empty())
        std::fwrite(diffs.data(), 1, diffs.size(), stdout), std::fflush(stdout);
    const size_t generated = report.files.size() - stale;
    if (options.check && (!outcome.changes.empty() || stale)) {
        ErrLine(L"vexlo: " + std::to_wstring(outcome.changes.size()) + L" of " + std::to_wstring(generated) +
                L" file(s) differ from what the model generates" +
                (stale ? L", and " + std::to_wstring(stale) + L" stale file(s) no component writes any more" : L"") +
                L" (--check)");
        return ExitDifferences;
    }
    if (options.check)
        ErrLine(L"vexlo: all " + std::to_wstring(generated) + L" file(s) are up to date with the model (--check)");
    return zoneGuard.ExitCode();
}

// The add-ins driven as Rose drives them: activated, one generation pass (and a second
// one that places zones carried between files), deactivated also after a failure.
// Returns ExitOk, or ExitHostError after a failure it has explained.
int RunAddins(const Options& options, const Installation& installation, const HostTrace& trace,
              const std::shared_ptr<Model>& model, std::map<std::wstring, Selection>& work, const RunPlan& plan,
              const Shadow& shadow, ZoneGuard& zoneGuard, const ZoneGuard::NewPath& newPath, RunReport& report,
              bool preview)
{
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
    std::wstring lastFile; // the file the add-in said it writes last
    host.SetLogSink([&](const std::wstring& line) {
        std::wstring real = shadow.ToReal(line);
        if (size_t to = real.rfind(L" to "); real.compare(0, 6, L"Class ") == 0 && to != std::wstring::npos)
            lastFile = real.substr(to + 4);
        if (!preview)
            OutLine(real);
    });
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
        PrintFailure(a.addin->ProgId() + L"." + method, failure, shadow);
        std::wstring description = shadow.ToReal(failure.description);
        // The file the failure names, or else the one being written, tells the component.
        std::wstring element;
        for (const PlannedFile& file : plan.files) {
            std::wstring path = Lower(file.path);
            if (Lower(description).find(path) != std::wstring::npos || Lower(lastFile) == path)
                element = L"component " + QualifiedName(*file.module) + L" (file " + Slashed(file.path) + L")";
        }
        if (element.empty())
            element = DescribeLastHanded(*model, host.LastHanded(ElementKind::Module), host.LastHanded(ElementKind::Class));
        for (const std::wstring& line : ExplainFailure(failure.hr, description, element))
            ErrLine(line);
        report.Message(L"error", a.addin->ProgId() + L"." + method + L" failed: " + description);
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
    if (exitCode == ExitOk && zoneGuard.CarryDroppedZones(newPath))
        generationPass();

    // As when Rose closes: every active add-in is deactivated, also after a failure.
    for (LoadedAddin& a : addins) {
        if (!a.active)
            continue;
        CallFailure deactivation;
        if (!a.addin->Call(L"OnDeactivate", session.application, nullptr, nullptr, deactivation)) {
            PrintFailure(a.addin->ProgId() + L".OnDeactivate", deactivation, shadow);
            exitCode = ExitHostError;
        }
    }
    addins.clear();
    return exitCode;
}

int Generate(RunReport& report, const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    HostTrace trace(options.traceHost);
    const bool preview = options.dryRun || options.check || options.diff;

    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, installation.executableFolder, codePage);
    report.codePage = GetACP(); // the one the add-in writes in, after LoadForRun set it
    report.Time("load");
    Selection selection = SelectElements(*model, options.classes, options.components);
    std::map<std::wstring, Selection> work = SplitByLanguage(selection, report);
    if (work.empty()) {
        Warn(L"nothing to generate: no selected class or component has the language Delphi or C#"
             L" (--language assigns one)");
        return ExitOk;
    }

    // Before anything is written: where every file goes (refusing names that would leave
    // the output folders), the folders to ourselves, the old files read and checked.
    PathSymbolLookup lookup = PathMapLookup(options.pathMap);
    std::vector<const Module*> modules;
    for (const auto& [language, selected] : work) {
        modules.insert(modules.end(), selected.modules.begin(), selected.modules.end());
        for (const Class* cls : selected.classes)
            modules.insert(modules.end(), cls->assignedModules.begin(), cls->assignedModules.end());
    }
    RunPlan plan = PlanRun(*model, modules, lookup);
    RefuseDuplicateIds(*model, plan, lookup);
    std::optional<RunLock> lock;
    if (!preview)
        lock.emplace(plan.tops);
    RecoverInterruptedRuns(plan, preview);
    RunBases bases(plan);
    ZoneGuard zoneGuard(options.strictZones);
    if (preview)
        zoneGuard.Preview(options.diff);
    zoneGuard.UseBase([&bases](const std::wstring& path, const std::string* old) { return bases.Generated(path, old); });
    zoneGuard.OfferSavedZones(bases.SavedZones());
    std::vector<std::wstring> paths;
    for (const PlannedFile& file : plan.files)
        paths.push_back(file.path);
    // Line ends and encoding: the add-in reads and writes its own form, the user's files keep theirs.
    TextForms forms(options.lineEnds, options.encoding, codePage.codePage ? codePage.codePage : GetACP());
    forms.Plan(paths);
    zoneGuard.SetAddinForm([&forms](const std::wstring& path, const std::string& text) { return forms.ToAddin(path, text); });
    zoneGuard.ReadOldFiles(paths);
    ScopedPathMap pathMap(options.pathMap);
    CheckOldFiles(paths, codePage.codePage);
    // Files the last run wrote that no component of the model writes any more.
    for (const std::wstring& stale : bases.FindStale(GeneratedFiles(*model, {}, model->allModules, lookup)))
        (options.diff ? ErrLine : OutLine)(L"stale: " + stale);
    if (forms.AddinUtf8())
        SetAddinCodePage(forms.AddinCodePage());

    // The add-in works in the shadow, on copies of the old files.
    Shadow shadow(plan);
    std::map<std::wstring, const PlannedFile*> byPath;
    for (const PlannedFile& file : plan.files) {
        byPath[Lower(Slashed(file.path))] = &file;
        if (const std::string* text = zoneGuard.TextForAddin(file.path)) {
            std::wstring copy = shadow.PathOf(file);
            // Zones another command hands the add-in (reverse: the bodies of new methods).
            auto extra = CurrentRunHooks().extraZones.find(Lower(Slashed(file.path)));
            const std::string withExtra =
                extra == CurrentRunHooks().extraZones.end() ? std::string() : *text + extra->second;
            if (!CreateFolders(ParentFolder(copy)) || !WriteScratch(copy, withExtra.empty() ? *text : withExtra))
                throw CliError(ExitHostError, shadow.Root() + L": the run's scratch copy of " + Slashed(file.path) +
                                                  L" cannot be written: " + LastErrorText() + L"; nothing was written.");
            zoneGuard.DropAddinText(file.path);
        }
    }
    shadow.Redirect(*model, lookup);
    auto newPath = [&](const std::wstring& path) {
        auto it = byPath.find(Lower(Slashed(path)));
        return it == byPath.end() ? std::wstring() : shadow.PathOf(*it->second);
    };
    report.Time("prepare");

    int exitCode = RunAddins(options, installation, trace, model, work, plan, shadow, zoneGuard, newPath, report,
                             preview);
    report.Time("generate");
    if (exitCode != ExitOk) {
        ErrLine(L"vexlo: no file of the run was changed");
        return exitCode;
    }

    // The commit takes the planned files only: a file the add-in wrote anywhere else fails
    // the run rather than going unnoticed.
    if (std::vector<std::wstring> strays = shadow.Unplanned(); !strays.empty())
        throw CliError(ExitHostError, strays.front() + L": the add-in wrote this file, which no component of the run "
                                      L"is planned to write" +
                                          (strays.size() > 1 ? L" (and " + std::to_wstring(strays.size() - 1) +
                                                                   L" more)"
                                                             : L"") +
                                          L"; nothing was written.");
    zoneGuard.Account(newPath);
    if (options.pruneStale)
        bases.Prune(zoneGuard);
    bases.RecordZones(zoneGuard);
    std::string diffs;
    Outcome outcome = Compare(plan, shadow, zoneGuard, bases, forms, report, options.diff, diffs);
    AddRunEntries(report, options.check, zoneGuard.Carried(), zoneGuard.Recovery());
    if (preview && CurrentRunHooks().onGenerated)
        return zoneGuard.ExitCode();
    if (preview)
        return Describe(options, report, outcome, zoneGuard, diffs, bases.Stale().size());
    // --strict-zones: text that would go to a recovery file fails the run before anything is written.
    if (zoneGuard.ExitCode() != ExitOk) {
        for (const RecoveryEntry& e : zoneGuard.Recovery())
            ErrLine(L"vexlo: " + e.file + L":" + std::to_wstring(e.line) + L": " + e.reason);
        ErrLine(L"vexlo: user text would be saved to a recovery file (--strict-zones); nothing was written");
        return zoneGuard.ExitCode();
    }

    report.Time("compare");
    CommitSteps steps;
    steps.beforeReplace = [&] { bases.Begin(); };
    steps.writeRecovery = [&] { zoneGuard.WriteRecovery(); };
    steps.afterPlaced = [&] { bases.End(); };
    steps.rolledBack = [&] { bases.RolledBack(); };
    CommitRun(plan, outcome.changes, model->fileName, steps);
    for (const std::wstring& file : outcome.unchanged)
        OutLine(L"unchanged: " + file);
    report.Time("commit");
    return ExitOk;
}

} // namespace

RunHooks& CurrentRunHooks()
{
    static RunHooks hooks;
    return hooks;
}

int RunGenerate(const Options& options, const Installation& installation)
{
    RunReport report;
    report.model = options.path;
    report.host = options.host == HostKind::Rose ? L"rose" : L"modeler";
    report.language = options.language;
    report.mode = options.check ? L"check" : options.diff ? L"diff" : options.dryRun ? L"dry-run" : L"generate";
    ObserveWarnings([&report](const std::wstring& text) { report.Message(L"warning", text); });
    auto finish = [&](int code) {
        ObserveWarnings(nullptr);
        if (!options.report.empty() && !report.Write(options.report, ProcessExitCode(code, GivesVerdict(options))))
            ErrLine(L"vexlo: the report " + options.report + L" cannot be written: " + LastErrorText());
    };
    try {
        int code = Generate(report, options, installation);
        finish(code);
        return code;
    } catch (const CliError& error) {
        report.Message(L"error", error.Message());
        finish(error.ExitCode());
        throw;
    }
}

} // namespace VexloCli
