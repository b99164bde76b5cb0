#include "Journal.h"

#include "Console.h"
#include "FailureNotes.h"
#include "JournalFile.h"
#include "RunFiles.h"

#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <map>
#include <set>

namespace VexloCli {

using namespace journal;

namespace {

struct Scope {
    Scope() { VxpDeferTermination(true); }
    ~Scope() { VxpDeferTermination(false); }
};

// Whether the file is still the one the run read: its identity, then its bytes.
std::wstring ChangedSinceRead(const FileChange& change)
{
    // A step of the commit the test switch counts: a fault here falls between the check
    // and the replacement.
    if (!VxpFaultBeforeChange())
        return L"it cannot be looked at again before it is replaced (" + LastErrorText() + L")";
    VxpFileIdentity now;
    if (!VxpIdentifyFile(change.path.c_str(), &now))
        return L"it cannot be looked at again before it is replaced (" + LastErrorText() + L")";
    if (!change.old) // a folder in the way stays what it was: placing the file says why it fails
        return now.exists && now != change.identity ? L"the file appeared after the run looked for it" : std::wstring();
    if (!now.exists)
        return L"the file was removed after the run read it";
    if (now != change.identity)
        return L"the file changed after the run read it";
    // Unreadable as it was when read (a folder in the way): placing the file says why it fails.
    std::optional<std::string> text = ReadWhole(change.path);
    if (text && PrintOf(*text) != *change.old)
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
        // One new text in memory at a time: each is read back just before it is staged.
        std::optional<std::string> text = steps[i].change->newText.Read();
        if (!text || !CreateFolders(ParentFolder(steps[i].entry->path)) ||
            !StageFile(steps[i].entry->path, *text, steps[i].staged))
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

// One commit: the journals of its top folders, its files staged beside theirs, and
// those already in place, to be put back when a later step fails.
class Commit {
public:
    Commit(const std::vector<FileChange>& changes, const CommitSteps& hooks) : m_changes(changes), m_hooks(hooks) {}

    void WriteJournals(const RunPlan& plan, const std::wstring& modelFile);
    void Stage();
    void Replace();
    // A step of the caller's: a CliError it throws rolls the run back.
    void Guarded(const std::function<void()>& step);
    void Finish() { DropJournals(m_journals); }

private:
    [[noreturn]] void RollBack(const std::wstring& what, int code);
    [[noreturn]] void CannotWrite(const Step& step);
    void DiscardAll();

    const std::vector<FileChange>& m_changes;
    const CommitSteps& m_hooks;
    std::vector<JournalFolder> m_journals;
    std::vector<Step> m_steps;
    std::vector<const Entry*> m_done;
};

void Commit::WriteJournals(const RunPlan& plan, const std::wstring& modelFile)
{
    std::map<size_t, std::vector<const FileChange*>> byTop;
    for (const FileChange& change : m_changes)
        byTop[plan.TopOf(change.path)].push_back(&change);
    for (const auto& [top, files] : byTop) {
        if (top >= plan.tops.size())
            throw CliError(ExitHostError, Slashed(files.front()->path) + L": lies in no output folder of the run; "
                                                                         L"nothing was written.");
        m_journals.emplace_back();
        if (!WriteJournal(plan.tops[top], files, modelFile, m_journals.back())) {
            std::wstring folder = JournalOf(plan.tops[top]);
            std::wstring why = LastErrorText(), where = WhyCannotCreate(folder + L"\\manifest");
            DropJournals(m_journals);
            throw CliError(ExitHostError, Slashed(folder) + L": the run's journal cannot be written: " +
                                              Reasons(why, where) + L"; nothing was written.");
        }
    }
}

void Commit::RollBack(const std::wstring& what, int code)
{
    bool restored = true;
    for (auto it = m_done.rbegin(); it != m_done.rend(); ++it) {
        const Entry& e = **it;
        for (const JournalFolder& j : m_journals)
            for (const Entry& mine : j.entries)
                if (&mine == &e)
                    restored = (e.replace ? Restore(j.folder, e) : DeleteFileW(e.path.c_str()) != FALSE) && restored;
    }
    if (restored) {
        DropJournals(m_journals);
        if (m_hooks.rolledBack)
            m_hooks.rolledBack();
        throw CliError(code, what + L" Every file of the run is as it was before.");
    }
    throw CliError(code, what + L" Not every old file could be put back either; the journal in " +
                             Slashed(m_journals.front().folder) +
                             L" keeps them, and the next run recovers it (see docs/CLI.md).");
}

void Commit::DiscardAll()
{
    DWORD code = GetLastError();
    for (Step& step : m_steps)
        DiscardStaged(step.staged);
    SetLastError(code);
}

void Commit::CannotWrite(const Step& step)
{
    std::wstring error = LastErrorText(), why = WhyCannotCreate(step.entry->path);
    DiscardAll();
    RollBack(Slashed(step.entry->path) + L": the new file" +
                 (step.change->component.empty() ? L"" : L" of " + step.change->component) + L" cannot be written: " +
                 Reasons(error, why) + L".",
             ExitHostError);
}

// Every new text is written beside its file and flushed before the first old file is
// replaced, then all are renamed into place, and each folder is flushed once: the same
// guarantees as file by file, with the waits for the disk taken together.
void Commit::Stage()
{
    for (const JournalFolder& j : m_journals)
        for (const Entry& e : j.entries)
            for (const FileChange& c : m_changes)
                if (c.path == e.path) {
                    m_steps.push_back({&e, &c, StagedFile()});
                    break;
                }
    StageAll(m_steps, [this](const Step& step) { CannotWrite(step); });
}

void Commit::Guarded(const std::function<void()>& step)
{
    if (!step)
        return;
    try {
        step();
    } catch (const CliError& error) {
        DiscardAll();
        RollBack(error.Message(), error.ExitCode());
    }
}

void Commit::Replace()
{
    std::set<std::wstring> folders;
    for (Step& step : m_steps) {
        const Entry& e = *step.entry;
        if (std::wstring changed = ChangedSinceRead(*step.change); !changed.empty()) {
            DiscardAll();
            RollBack(Slashed(e.path) + L": " + changed + L"; the run does not overwrite text it has not seen. Run "
                                                         L"again to generate from the file as it is now.",
                     ExitUserText);
        }
        if (!PlaceStaged(e.path, step.staged))
            CannotWrite(step);
        m_done.push_back(&e);
        folders.insert(ParentFolder(e.path));
        OutLine(L"vexlo: " + std::wstring(e.replace ? L"replaced " : L"created ") + Slashed(e.path));
    }
    for (const std::wstring& folder : folders)
        if (!VxpFlushFolder(folder.c_str())) {
            std::wstring error = LastErrorText();
            RollBack(Slashed(folder) + L": the folder's new entries cannot be made durable: " + error + L".",
                     ExitHostError);
        }
}

} // namespace

void CommitRun(const RunPlan& plan, const std::vector<FileChange>& changes, const std::wstring& modelFile,
               const CommitSteps& hooks)
{
    Scope deferred; // a request to stop waits until the run is whole again
    Commit commit(changes, hooks);
    commit.WriteJournals(plan, modelFile);
    commit.Stage();
    commit.Guarded(hooks.beforeReplace);
    commit.Replace();
    commit.Guarded(hooks.writeRecovery);
    commit.Guarded(hooks.afterPlaced);
    commit.Finish();
}

} // namespace VexloCli
