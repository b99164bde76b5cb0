#include "Journal.h"

#include "Console.h"
#include "FailureNotes.h"
#include "RunFiles.h"
#include "RunLock.h"
#include "zones/ZoneScan.h"

#include "vxplat/CodePage.h"
#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <set>
#include <sstream>

namespace VexloCli {

namespace {

const char kMagic[] = "vexlo journal 1";

// The system's reason and what a look at the place adds; a look that already gives the
// reason, more precisely ("... no space is left on the device of ..."), replaces it.
std::wstring Reasons(const std::wstring& error, const std::wstring& why)
{
    if (why.empty())
        return error;
    if (why.find(error) != std::wstring::npos)
        return why;
    return error + L"; " + why;
}

std::wstring JournalOf(const std::wstring& top) { return StateFolderOf(top) + L"\\journal"; }

std::string UtcNow()
{
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", std::gmtime(&now));
    return text;
}

struct Entry {
    bool replace = false;
    bool linked = false;     // the old file's own second name, not a copy
    std::wstring name;       // in the journal folder
    std::wstring path;       // real
};

struct Manifest {
    std::wstring process, model, started, folder;
    std::vector<Entry> entries;
    bool complete = false;
};

std::optional<Manifest> ReadManifest(const std::wstring& journal)
{
    if (IsSymbolicLink(journal) || IsSymbolicLink(journal + L"\\manifest"))
        throw CliError(ExitUserText, Slashed(journal) + L": the journal (or its manifest) is a symbolic link, which "
                                                        L"vexlo never follows; nothing was written. Remove it and "
                                                        L"run again.");
    std::optional<std::string> text = ReadWhole(journal + L"\\manifest");
    if (!text)
        return std::nullopt;
    Manifest m;
    std::istringstream lines(*text);
    std::string line;
    if (!std::getline(lines, line) || line != kMagic)
        return m;
    while (std::getline(lines, line)) {
        size_t blank = line.find(' ');
        std::string word = line.substr(0, blank), rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        std::wstring value; // written as UTF-8
        int length = MultiByteToWideChar(CP_UTF8, 0, rest.data(), static_cast<int>(rest.size()), nullptr, 0);
        value.assign(static_cast<size_t>(std::max(length, 0)), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_UTF8, 0, rest.data(), static_cast<int>(rest.size()), value.data(), length);
        if (word == "process")
            m.process = value;
        else if (word == "model")
            m.model = value;
        else if (word == "started")
            m.started = value;
        else if (word == "folder")
            m.folder = value;
        else if (word == "complete")
            m.complete = true;
        else if (word == "link" || word == "copy" || word == "create") {
            Entry e;
            e.replace = word != "create";
            e.linked = word == "link";
            size_t tab = value.find(L'\t');
            e.name = e.replace ? value.substr(0, tab) : std::wstring();
            e.path = e.replace ? (tab == std::wstring::npos ? std::wstring() : value.substr(tab + 1)) : value;
            m.entries.push_back(e);
        }
    }
    return m;
}

void RemoveJournal(const std::wstring& journal)
{
    // The manifest first: a journal without one changed nothing and is simply removed.
    DeleteFileW((journal + L"\\manifest").c_str());
    VxpFlushFolder(journal.c_str());
    // Through the platform, so that the test switch counts each removal.
    std::vector<std::wstring> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(PathOf(Slashed(journal)), error), end; !error && it != end;
         it.increment(error))
        names.push_back(WideOf(it->path()));
    for (const std::wstring& name : names)
        DeleteFileW(name.c_str());
    RemoveDirectoryW(journal.c_str());
    VxpFlushFolder(ParentFolder(journal).c_str());
}

// The folder's path and its number on its volume, for the log of a later recovery.
std::wstring FolderIdentity(const std::wstring& top)
{
    VxpFileIdentity id;
    VxpIdentifyFile(top.c_str(), &id);
    return Slashed(top) + L"\t" + std::to_wstring(id.volume) + L":" + std::to_wstring(id.index);
}

// The journal's entries made real paths in this top folder. An entry that would leave
// the folder (an absolute path elsewhere, "..", a link on the way that points out) is
// refused: a journal is never trusted to write outside the folder it lies in.
void ResolveEntries(Manifest& m, const std::wstring& top, const std::wstring& journal)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path realTop = fs::weakly_canonical(PathOf(Slashed(top)), error);
    for (Entry& e : m.entries) {
        std::wstring relative = Slashed(e.path);
        if (std::optional<std::wstring> below = Below(top, relative))
            relative = *below; // an absolute path of a journal from before, in this folder
        fs::path rel = PathOf(relative);
        bool climbs = relative.empty() || rel.is_absolute() || relative[0] == L'/' ||
                      relative.find(L':') != std::wstring::npos;
        for (const fs::path& part : rel)
            climbs = climbs || part == "..";
        climbs = climbs || (e.replace && (e.name.empty() || e.name.find_first_of(L"/\\:") != std::wstring::npos ||
                                          e.name.find(L"..") != std::wstring::npos));
        std::wstring path = Slashed(top) + L"/" + relative;
        fs::path real = fs::weakly_canonical(PathOf(path), error);
        if (!climbs && !error) {
            auto mismatch = std::mismatch(realTop.begin(), realTop.end(), real.begin(), real.end());
            climbs = mismatch.first != realTop.end();
        }
        if (climbs)
            throw CliError(ExitUserText, Slashed(journal) + L"/manifest: names " + Quoted(Slashed(e.path)) +
                                             L", which lies outside the output folder " + Slashed(top) +
                                             L" (or is reached through a link that leads out of it); a journal is "
                                             L"never followed out of its folder, so nothing was written. Look at the "
                                             L"journal, remove it (see docs/CLI.md), and run again.");
        e.path = path;
    }
}

// Puts an old file back from the journal.
bool Restore(const std::wstring& journal, const Entry& e)
{
    std::wstring saved = journal + L"\\" + e.name;
    if (e.linked)
        return MoveFileExW(saved.c_str(), e.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    std::optional<std::string> text = ReadWhole(saved);
    return text && ReplaceDurably(e.path, *text);
}

struct Scope {
    Scope() { VxpDeferTermination(true); }
    ~Scope() { VxpDeferTermination(false); }
};

std::string Utf8(const std::wstring& text) { return Narrow(text); }

} // namespace

namespace {

struct JournalFolder {
    std::wstring folder; // empty: the top needs none (the run only creates files there)
    std::vector<Entry> entries;
};

void DropJournals(const std::vector<JournalFolder>& journals)
{
    for (const JournalFolder& j : journals)
        if (!j.folder.empty())
            RemoveJournal(j.folder);
}

// The journal of one top folder: a second name (or a copy) of each old file the run
// replaces, and the manifest naming them, flushed before anything is replaced.
bool WriteJournal(const std::wstring& top, const std::vector<const FileChange*>& files, const std::wstring& modelFile,
                  JournalFolder& j)
{
    // Only replacing needs a journal: a file the run creates takes no old text with it.
    bool replaces = std::any_of(files.begin(), files.end(), [](const FileChange* c) { return c->oldText != nullptr; });
    j.folder = replaces ? JournalOf(top) : std::wstring();
    std::string manifest = std::string(kMagic) + "\nprocess " + std::to_string(GetCurrentProcessId()) + "\nmodel " +
                           Utf8(modelFile) + "\nstarted " + UtcNow() + "\nfolder " + Utf8(FolderIdentity(top)) + "\n";
    bool ok = !replaces || (!IsSymbolicLink(StateFolderOf(top)) && CreateFolders(j.folder));
    int n = 0;
    for (const FileChange* change : files) {
        Entry e;
        e.path = change->path;
        e.replace = change->oldText != nullptr;
        if (e.replace && ok) {
            e.name = L"old-" + std::to_wstring(++n);
            std::wstring saved = j.folder + L"\\" + e.name;
            // A second name keeps the old file without a byte written, and puts it
            // back with a rename even on a full disk; a link or another volume is copied.
            e.linked = !IsSymbolicLink(change->path) && VxpLinkFile(change->path.c_str(), saved.c_str());
            ok = e.linked || ReplaceDurably(saved, *change->oldText);
        }
        // Relative to the top folder: a moved project is recovered where it is, and a
        // copied one never writes into the original.
        manifest += (e.replace ? (e.linked ? "link " : "copy ") + Utf8(e.name) + "\t" : std::string("create ")) +
                    Utf8(Slashed(Below(top, e.path).value_or(e.path))) + "\n";
        j.entries.push_back(e);
    }
    return ok && (!replaces || ReplaceDurably(j.folder + L"\\manifest", manifest + "complete\n"));
}

// Whether the file is still the one the run read: its identity, then its bytes.
std::wstring ChangedSinceRead(const FileChange& change)
{
    VxpFileIdentity now;
    if (!VxpIdentifyFile(change.path.c_str(), &now))
        return L"it cannot be looked at again before it is replaced (" + LastErrorText() + L")";
    if (!change.oldText) // a folder in the way stays what it was: placing the file says why it fails
        return now.exists && now != change.identity ? L"the file appeared after the run looked for it" : std::wstring();
    if (!now.exists)
        return L"the file was removed after the run read it";
    if (now != change.identity)
        return L"the file changed after the run read it";
    // Unreadable as it was when read (a folder in the way): placing the file says why it fails.
    std::optional<std::string> text = ReadWhole(change.path);
    if (text && *text != *change.oldText)
        return L"the file changed after the run read it";
    return std::wstring();
}

struct Step {
    const Entry* entry;
    const FileChange* change;
    StagedFile staged;
};


// Writes every new text beside its file and flushes them in batches (each staged file
// holds a handle until then); `fail` rolls the run back.
template <class Fail> void StageAll(std::vector<Step>& steps, Fail&& fail)
{
    const size_t kOpenAtOnce = 64;
    std::vector<StagedFile*> batch;
    for (size_t i = 0; i < steps.size(); ++i) {
        if (!CreateFolders(ParentFolder(steps[i].entry->path)) ||
            !StageFile(steps[i].entry->path, steps[i].change->newText, steps[i].staged))
            fail(steps[i]);
        batch.push_back(&steps[i].staged);
        if (batch.size() == kOpenAtOnce || i + 1 == steps.size()) {
            if (StagedFile* failed = FlushStaged(batch))
                for (const Step& step : steps)
                    if (&step.staged == failed)
                        fail(step);
            batch.clear();
        }
    }
}

} // namespace

void CommitRun(const RunPlan& plan, const std::vector<FileChange>& changes, const std::wstring& modelFile,
               const CommitSteps& hooks)
{
    Scope deferred; // a request to stop waits until the run is whole again
    std::map<size_t, std::vector<const FileChange*>> byTop;
    for (const FileChange& change : changes)
        byTop[plan.TopOf(change.path)].push_back(&change);

    std::vector<JournalFolder> journals;
    for (const auto& [top, files] : byTop) {
        if (top >= plan.tops.size())
            throw CliError(ExitHostError, Slashed(files.front()->path) + L": lies in no output folder of the run; "
                                                                         L"nothing was written.");
        journals.emplace_back();
        if (!WriteJournal(plan.tops[top], files, modelFile, journals.back())) {
            std::wstring folder = JournalOf(plan.tops[top]);
            std::wstring why = LastErrorText(), where = WhyCannotCreate(folder + L"\\manifest");
            DropJournals(journals);
            throw CliError(ExitHostError, Slashed(folder) + L": the run's journal cannot be written: " +
                                              Reasons(why, where) + L"; nothing was written.");
        }
    }

    std::vector<const Entry*> done;
    auto rollBack = [&](const std::wstring& what, int code) {
        bool restored = true;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            const Entry& e = **it;
            for (const JournalFolder& j : journals)
                for (const Entry& mine : j.entries)
                    if (&mine == &e)
                        restored = (e.replace ? Restore(j.folder, e) : DeleteFileW(e.path.c_str()) != FALSE) && restored;
        }
        if (restored) {
            DropJournals(journals);
            if (hooks.rolledBack)
                hooks.rolledBack();
            throw CliError(code, what + L" Every file of the run is as it was before.");
        }
        throw CliError(code, what + L" Not every old file could be put back either; the journal in " +
                                          Slashed(journals.front().folder) +
                                          L" keeps them, and the next run recovers it (see docs/CLI.md).");
    };
    // Every new text is written beside its file and flushed before the first old file is
    // replaced, then all are renamed into place, and each folder is flushed once: the
    // same guarantees as file by file, with the waits for the disk taken together.
    std::vector<Step> steps;
    for (const JournalFolder& j : journals)
        for (const Entry& e : j.entries)
            for (const FileChange& c : changes)
                if (c.path == e.path) {
                    steps.push_back({&e, &c, StagedFile()});
                    break;
                }
    auto discardAll = [&] {
        DWORD code = GetLastError();
        for (Step& other : steps)
            DiscardStaged(other.staged);
        SetLastError(code);
    };
    auto cannotWrite = [&](const Step& step) {
        std::wstring error = LastErrorText(), why = WhyCannotCreate(step.entry->path);
        discardAll();
        rollBack(Slashed(step.entry->path) + L": the new file" +
                     (step.change->component.empty() ? L"" : L" of " + step.change->component) +
                     L" cannot be written: " + Reasons(error, why) + L".",
                 ExitHostError);
    };
    StageAll(steps, cannotWrite);
    auto guarded = [&](const std::function<void()>& step) {
        if (!step)
            return;
        try {
            step();
        } catch (const CliError& error) {
            discardAll();
            rollBack(error.Message(), error.ExitCode());
        }
    };
    guarded(hooks.beforeReplace);
    std::set<std::wstring> folders;
    for (Step& step : steps) {
        const Entry& e = *step.entry;
        if (std::wstring changed = ChangedSinceRead(*step.change); !changed.empty()) {
            discardAll();
            rollBack(Slashed(e.path) + L": " + changed + L"; the run does not overwrite text it has not seen. Run "
                                                         L"again to generate from the file as it is now.",
                     ExitUserText);
        }
        if (!PlaceStaged(e.path, step.staged))
            cannotWrite(step);
        done.push_back(&e);
        folders.insert(ParentFolder(e.path));
        OutLine(L"vexlo: " + std::wstring(e.replace ? L"replaced " : L"created ") + Slashed(e.path));
    }
    for (const std::wstring& folder : folders)
        if (!VxpFlushFolder(folder.c_str())) {
            std::wstring error = LastErrorText();
            rollBack(Slashed(folder) + L": the folder's new entries cannot be made durable: " + error + L".",
                     ExitHostError);
        }
    guarded(hooks.writeRecovery);
    guarded(hooks.afterPlaced);
    DropJournals(journals);
}

void RemoveStaleTemporaries(const RunPlan& plan)
{
    // "<name>.<process>.vxnew" and the add-in's "<name>.<process>-<count>.vxnew" of
    // processes that no longer run: a run killed while it wrote one.
    std::set<std::wstring> folders;
    for (const PlannedFile& file : plan.files)
        folders.insert(ParentFolder(file.path));
    for (const std::wstring& folder : folders) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(PathOf(Slashed(folder)), error), end; !error && it != end;
             it.increment(error)) {
            std::wstring name = WideOf(it->path().filename());
            if (name.size() < 7 || name.compare(name.size() - 6, 6, L".vxnew") != 0)
                continue;
            std::wstring stem = name.substr(0, name.size() - 6);
            size_t dot = stem.rfind(L'.');
            if (dot == std::wstring::npos)
                continue;
            unsigned long pid = std::wcstoul(stem.c_str() + dot + 1, nullptr, 10);
            // This process writes none before its commit: one of its number is of an
            // earlier process (wine hands out the same few numbers again and again).
            if (pid && (pid == GetCurrentProcessId() || !VxpProcessAlive(pid)))
                DeleteFileW((folder + L"\\" + name).c_str());
        }
    }
}

void RecoverInterruptedRuns(const RunPlan& plan, bool dryRun)
{
    if (!dryRun)
        RemoveStaleTemporaries(plan);
    for (const std::wstring& top : plan.tops) {
        std::wstring journal = JournalOf(top);
        if (GetFileAttributesW(journal.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (!dryRun)
                RemoveDirectoryW(StateFolderOf(top).c_str()); // left empty by a run killed as it finished
            continue;
        }
        std::optional<Manifest> manifest = ReadManifest(journal);
        if (dryRun) {
            OutLine(L"vexlo: " + Slashed(journal) + L" holds the journal of an interrupted run; a run without "
                                                      L"--dry-run, --check or --diff recovers it first");
            continue;
        }
        if (!manifest || !manifest->complete) {
            // Cut off before its first file was replaced: it changed nothing.
            OutLine(L"vexlo: removing the unfinished journal of an interrupted run in " + Slashed(journal) +
                    L" (it had changed no file)");
            RemoveJournal(journal);
            continue;
        }
        ResolveEntries(*manifest, top, journal);
        OutLine(L"vexlo: found the journal of an interrupted run (process " + manifest->process + L", model " +
                manifest->model + L", started " + manifest->started + L") in " + Slashed(journal) +
                L"; recovering it");
        if (!manifest->folder.empty() && manifest->folder != FolderIdentity(top))
            OutLine(L"vexlo: the journal was written in " + manifest->folder.substr(0, manifest->folder.find(L'\t')) +
                    L" (that folder was moved or copied since); it is recovered here, in " + Slashed(top));
        // What the run's files hold now, and what their recovery files already kept.
        std::set<std::tuple<std::string, std::string, std::string>> present;
        auto index = [&present](const std::string& text) {
            for (const ScannedZone& z : ScanZoneText(text).zones)
                present.emplace(std::string(z.id), std::string(z.tag), ComparableText(std::string_view(text).substr(z.textStart, z.textEnd - z.textStart)));
        };
        for (const Entry& e : manifest->entries) {
            if (std::optional<std::string> text = ReadWhole(e.path))
                index(*text);
            if (std::optional<std::string> text = ReadWhole(e.path + L".vxlost"))
                index(*text);
        }
        for (const Entry& e : manifest->entries) {
            if (!e.replace)
                continue;
            std::optional<std::string> old = ReadWhole(journal + L"\\" + e.name);
            if (!old)
                continue;
            std::optional<std::string> now = ReadWhole(e.path);
            bool torn = !now || (now->empty() && !old->empty()) || ScanZoneText(*now).unreadable ||
                        now->find('\0') != std::string::npos;
            if (torn) {
                if (!Restore(journal, e))
                    throw CliError(ExitUserText, Slashed(e.path) + L": the file is damaged and its old text in " +
                                                     Slashed(journal) + L"\\" + e.name + L" cannot be put back: " +
                                                     LastErrorText() + L"; nothing was written. Copy it back by hand "
                                                     L"(see docs/CLI.md) and run again.");
                Warn(Slashed(e.path) + L": the interrupted run left this file damaged; its old text is back");
                continue;
            }
            for (const ScannedZone& z : ScanZoneText(*old).zones) {
                std::string comparable = ComparableText(std::string_view(*old).substr(z.textStart, z.textEnd - z.textStart));
                if (comparable.empty() || present.count({std::string(z.id), std::string(z.tag), comparable}))
                    continue;
                std::wstring recovery = e.path + L".vxlost";
                if (IsSymbolicLink(recovery))
                    throw CliError(ExitUserText, Slashed(recovery) + L": the recovery file is a symbolic link, which "
                                                                     L"vexlo never writes through; nothing was "
                                                                     L"written. Remove the link and run again.");
                std::wstring reason = L"the zone " + Ansi(z.scope) + L" (" + Ansi(z.id) + L"." + Ansi(z.tag) +
                                      L") of line " + std::to_wstring(LineOf(*old, z.start)) +
                                      L", kept in the journal of an interrupted run, is in no file";
                std::string chunk = AnsiBytes(L"// vexlo, " + Slashed(e.path) + L": " + reason + L"\r\n") +
                                    MarkerForm(z, *old) + "\r\n";
                if (!AppendDurably(recovery, chunk))
                    throw CliError(ExitUserText, Slashed(recovery) + L": the recovery file cannot be written (" +
                                                     LastErrorText() + L"), and " + reason + L"; nothing was written. "
                                                     L"The journal stays in " + Slashed(journal) + L".");
                present.emplace(std::string(z.id), std::string(z.tag), comparable);
                Warn(Slashed(e.path) + L":" + std::to_wstring(LineOf(*old, z.start)) + L": " + reason +
                     L"; its text was saved to " + Slashed(recovery));
            }
        }
        RemoveJournal(journal);
    }
}

} // namespace VexloCli
