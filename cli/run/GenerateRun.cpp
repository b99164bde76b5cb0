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
#include "run/AddinPasses.h"
#include "run/HookedPreview.h"
#include "run/Journal.h"
#include "run/RunBases.h"
#include "run/RunFiles.h"
#include "run/RunHooks.h"
#include "run/RunLock.h"
#include "run/RunPlan.h"
#include "run/RunReport.h"
#include "run/ScratchWriter.h"
#include "zones/ZoneGuard.h"
#include "run/Shadow.h"
#include "run/TextDiff.h"
#include "run/TextForm.h"
#include "system/AddinSystemCalls.h"

#include "vxplat/CodePage.h"
#include "vxplat/Heap.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

namespace VexloCli {

using namespace RoseHost;

namespace {

struct Outcome {
    std::vector<FileChange> changes;
    std::vector<std::wstring> unchanged;
    std::deque<HeldText> recorded; // unchanged files' texts the base store records
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
    // The base stores record where the texts are (these changes, or the old files): no
    // element may move until the commit is done.
    outcome.changes.reserve(plan.files.size());
    std::map<std::wstring, size_t> carriedInto, savedFrom;
    for (const CarriedZone& c : zoneGuard.Carried())
        ++carriedInto[Lower(c.to)];
    for (const RecoveryEntry& e : zoneGuard.Recovery())
        ++savedFrom[Lower(e.file)];
    for (const PlannedFile& file : plan.files) {
        const std::wstring scratch = shadow.PathOf(file);
        std::optional<std::string> now = ReadWhole(scratch);
        if (!now)
            continue; // the add-in wrote nothing there (its log says why)
        // One old file in memory at a time: the guard reads it again (checked) when asked.
        struct LetGoAtEnd {
            const ZoneGuard& guard;
            const std::wstring& path;
            ~LetGoAtEnd() { guard.LetGo(path); }
        } letGo{zoneGuard, file.path};
        const bool exists = zoneGuard.HasOld(file.path);
        // The user's line ends and encoding, so that the base and the comparison see the file as written.
        std::string user = forms.ToUser(file.path, *now, {exists, zoneGuard.OldLineEnds(file.path)});
        const bool asWritten = user == *now;
        *now = std::move(user);
        // Told by the old file's print (the guard compared the text the add-in wrote
        // already); the old bytes are read again only when they differ.
        const std::optional<bool> known = asWritten ? zoneGuard.NewIsOld(file.path) : std::nullopt;
        const bool same = exists && (known ? *known : zoneGuard.IsOld(file.path, *now));
        const std::string* old = exists && !same ? zoneGuard.OriginalText(file.path) : nullptr;
        // A file the last run generated just so keeps its record (and its zones' origins).
        const bool record = !same || !(zoneGuard.OldIsBase(file.path) || bases.Holds(file.path, *now));
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
        std::wstring action = !exists ? L"create" : same ? L"unchanged" : L"replace";
        report.files.push_back({shown, action, now->size(), CountZones(*now), carriedInto[Lower(shown)],
                                savedFrom[Lower(shown)], action == L"unchanged" ? 0 : FirstChangedLine(old, *now)});
        if (action == L"unchanged") {
            if (record) {
                outcome.recorded.push_back(HeldText::InFile(scratch, *now, asWritten));
                bases.Record(file.path, *now, outcome.recorded.back(), std::move(defaults));
            }
            outcome.unchanged.push_back(shown);
            continue;
        }
        if (diff) {
            std::wstring relative = Below(plan.tops[plan.TopOf(file.path)], file.path).value_or(shown);
            diffs += UnifiedDiff(old, *now, Narrow(Slashed(relative)));
        }
        // The new text waits in the scratch folder until the commit: all of them together
        // can take more memory than the model.
        outcome.changes.push_back({file.path, HeldText::InFile(scratch, *now, asWritten),
                                   exists ? std::optional<TextPrint>(zoneGuard.PrintOf(file.path)) : std::nullopt,
                                   file.component, zoneGuard.IdentityOf(file.path)});
        if (record)
            bases.Record(file.path, *now, outcome.changes.back().newText, std::move(defaults));
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

// The components whose files the run writes: those selected and those of the selected classes.
std::vector<const Module*> ModulesOf(const std::map<std::wstring, Selection>& work)
{
    std::vector<const Module*> modules;
    for (const auto& [language, selected] : work) {
        modules.insert(modules.end(), selected.modules.begin(), selected.modules.end());
        for (const Class* cls : selected.classes)
            modules.insert(modules.end(), cls->assignedModules.begin(), cls->assignedModules.end());
    }
    return modules;
}

// The planned files by their lower-case paths.
std::map<std::wstring, const PlannedFile*> ByPath(const RunPlan& plan)
{
    std::map<std::wstring, const PlannedFile*> byPath;
    for (const PlannedFile& file : plan.files)
        byPath[Lower(Slashed(file.path))] = &file;
    return byPath;
}

// The add-in works in the shadow, on copies of the old files, written as the zone guard
// reads them (while it holds their bytes).
void FillShadow(const RunPlan& plan, const Shadow& shadow, ZoneGuard& zoneGuard, ScratchWriter& copies)
{
    std::map<std::wstring, const PlannedFile*> byPath = ByPath(plan);
    zoneGuard.MakeAddinCopies([&shadow, &copies, byPath](const std::wstring& path, const std::string& text) {
        auto planned = byPath.find(Lower(Slashed(path)));
        if (planned == byPath.end())
            return;
        // Zones another command hands the add-in (reverse: the bodies of new methods).
        auto extra = CurrentRunHooks().extraZones.find(Lower(Slashed(path)));
        copies.Write(shadow.PathOf(*planned->second),
                     extra == CurrentRunHooks().extraZones.end() ? text : text + extra->second,
                     shadow.Root() + L": the run's scratch copy of " + Slashed(path) + L" cannot be written: ");
    });
}


// The commit takes the planned files only: a file the add-in wrote anywhere else fails
// the run rather than going unnoticed.
void RefuseUnplanned(const Shadow& shadow)
{
    if (std::vector<std::wstring> strays = shadow.Unplanned(); !strays.empty())
        throw CliError(ExitHostError, strays.front() + L": the add-in wrote this file, which no component of the run "
                                      L"is planned to write" +
                                          (strays.size() > 1 ? L" (and " + std::to_wstring(strays.size() - 1) +
                                                                   L" more)"
                                                             : L"") +
                                          L"; nothing was written.");
}

// --strict-zones: text that would go to a recovery file fails the run before anything is written.
int RefuseStrictZones(const ZoneGuard& zoneGuard)
{
    for (const RecoveryEntry& e : zoneGuard.Recovery())
        ErrLine(L"vexlo: " + e.file + L":" + std::to_wstring(e.line) + L": " + e.reason);
    ErrLine(L"vexlo: user text would be saved to a recovery file (--strict-zones); nothing was written");
    return zoneGuard.ExitCode();
}

// The changed files put in place (journal first), with the base store and the recovery files.
void CommitChanges(const RunPlan& plan, const Outcome& outcome, const std::wstring& modelFile, RunBases& bases,
                   const ZoneGuard& zoneGuard)
{
    CommitSteps steps;
    steps.beforeReplace = [&] { bases.Begin(); };
    steps.writeRecovery = [&] { zoneGuard.WriteRecovery(); };
    steps.afterPlaced = [&] { bases.End(); };
    steps.rolledBack = [&] { bases.RolledBack(); };
    CommitRun(plan, outcome.changes, modelFile, steps);
    bases.Finish();
    for (const std::wstring& file : outcome.unchanged)
        OutLine(L"unchanged: " + file);
}

// The zone guard told what the run knows: the base stores, zones saved by earlier runs or
// handed over by another command, and the form the add-in reads.
void PrepareGuard(ZoneGuard& zoneGuard, RunBases& bases, TextForms& forms, const Options& options, bool preview)
{
    if (preview)
        zoneGuard.Preview(options.diff);
    zoneGuard.UseBase([&bases](const std::wstring& path, const std::string* old, const TextPrint* print) {
        return bases.Generated(path, old, print);
    });
    zoneGuard.OfferSavedZones(bases.SavedZones());
    zoneGuard.HandZones(CurrentRunHooks().extraZones);
    zoneGuard.KnowReadBack(CurrentRunHooks().readBack);
    zoneGuard.SetAddinForm([&forms](const std::wstring& path, const std::string& text) { return forms.ToAddin(path, text); });
}

// The old files read (refused when unsafe). Returns the warnings about bytes the code page
// cannot carry, found on the bytes the guard reads, to be given once the path map is set.
std::vector<std::wstring> ReadOldFiles(ZoneGuard& zoneGuard, const std::vector<std::wstring>& paths, unsigned codePage)
{
    std::vector<std::wstring> pageWarnings;
    zoneGuard.WatchOldFiles([&](const std::wstring& path, const std::string& bytes) {
        if (std::optional<std::wstring> warning = UnrepresentableBytes(path, bytes, codePage))
            pageWarnings.push_back(std::move(*warning));
    });
    zoneGuard.ReadOldFiles(paths);
    zoneGuard.WatchOldFiles(nullptr);
    return pageWarnings;
}

int Generate(RunReport& report, const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    HostTrace trace(options.traceHost);
    const bool preview = options.dryRun || options.check || options.diff;

    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, installation.executableFolder, codePage);
    // The loader's own tables are gone: their pages go back rather than stay beside
    // everything the run builds on top of the model.
    VxpReturnFreeMemory();
    if (CurrentRunHooks().onLoaded)
        CurrentRunHooks().onLoaded(*model);
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
    RunPlan plan = PlanRun(*model, ModulesOf(work), lookup);
    RefuseDuplicateIds(*model, plan, lookup);
    VxpReturnFreeMemory(); // likewise the checks' tables of every element
    std::optional<RunLock> lock;
    if (!preview)
        lock.emplace(plan.tops);
    RecoverInterruptedRuns(plan, preview);
    // Reverse's preview is followed by the run that writes, which says it all once.
    RunBases bases(plan, !preview                         ? RunBases::Notes::Done
                         : CurrentRunHooks().onGenerated ? RunBases::Notes::Quiet
                                                         : RunBases::Notes::Would);
    const std::map<std::wstring, std::string> leftOut =
        preview && CurrentRunHooks().unchanged ? LeaveOutUnchanged(plan, work) : std::map<std::wstring, std::string>();
    std::vector<std::wstring> paths;
    for (const PlannedFile& file : plan.files)
        if (!leftOut.count(Lower(Slashed(file.path))))
            paths.push_back(file.path);
    // Line ends and encoding: the add-in reads and writes its own form, the user's files keep theirs.
    TextForms forms(options.lineEnds, options.encoding, codePage.codePage ? codePage.codePage : GetACP());
    forms.Plan(paths);
    ZoneGuard zoneGuard(options.strictZones);
    PrepareGuard(zoneGuard, bases, forms, options, preview);
    Shadow shadow(plan);
    ScratchWriter copies;
    FillShadow(plan, shadow, zoneGuard, copies);
    std::vector<std::wstring> pageWarnings = ReadOldFiles(zoneGuard, paths, codePage.codePage);
    copies.Finish();
    ScopedPathMap pathMap(options.pathMap);
    for (const std::wstring& warning : pageWarnings)
        Warn(warning);
    // Files the last run wrote that no component of the model writes any more.
    for (const std::wstring& stale : bases.FindStale(GeneratedFiles(*model, {}, model->allModules, lookup)))
        (options.diff ? ErrLine : OutLine)(L"stale: " + stale);
    if (forms.AddinUtf8())
        SetAddinCodePage(forms.AddinCodePage());

    const std::map<std::wstring, const PlannedFile*> byPath = ByPath(plan);
    std::optional<OwnSettings> loaded;
    if (preview && CurrentRunHooks().keepModel)
        loaded = OwnSettingsOf(*model);
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

    RefuseUnplanned(shadow);
    if (preview && CurrentRunHooks().onGenerated) {
        // The texts alone are asked for: what would go to recovery files matters only where
        // --strict-zones refuses the run for it.
        if (options.strictZones)
            zoneGuard.Account(newPath);
        else
            zoneGuard.ReportOnly(newPath);
        if (options.strictZones && options.pruneStale)
            bases.Prune(zoneGuard);
        HandTexts(plan, shadow, zoneGuard, forms, leftOut);
        if (loaded) {
            PutBack(*model, std::move(*loaded));
            CurrentRunHooks().keepModel(model);
        }
        return zoneGuard.ExitCode();
    }
    zoneGuard.Account(newPath);
    if (options.pruneStale)
        bases.Prune(zoneGuard);
    bases.RecordZones(zoneGuard);
    // Nothing needs the model from here on but the components' names: it goes, and the
    // comparison and the commit take its memory (a first run's records of every file
    // would otherwise stand on top of it).
    const std::wstring modelFile = model->fileName;
    NameComponents(plan);
    LetGoOfModel(model);
    std::string diffs;
    Outcome outcome = Compare(plan, shadow, zoneGuard, bases, forms, report, options.diff, diffs);
    AddRunEntries(report, options.check, zoneGuard.Carried(), zoneGuard.Recovery());
    if (preview)
        return Describe(options, report, outcome, zoneGuard, diffs, bases.Stale().size());
    if (zoneGuard.ExitCode() != ExitOk)
        return RefuseStrictZones(zoneGuard);
    report.Time("compare");
    CommitChanges(plan, outcome, modelFile, bases, zoneGuard);
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
