// Putting a run's new files in place so that an interruption at any instant, or a disk
// that fills up, loses no line of the user's: before the first old file is replaced, the
// journal in "<top>/.vexlo/journal" holds every old file the run replaces (a second name
// for it, or a copy) and a manifest; the new files are then put in place one by one, the
// recovery files written, and only then the journal removed. A failure on the way puts
// the old files back. A journal that a killed run left is recovered by the next run.
#pragma once

#include "HeldText.h"
#include "RunPlan.h"
#include "TextHash.h"

#include "vxplat/Durability.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace VexloCli {

struct FileChange {
    std::wstring path;                  // the real path, as the add-in names it
    HeldText newText;                   // read back from the scratch folder when staged
    std::optional<TextPrint> old;       // the old file's size and hashes as read; none for a new file
    std::wstring component;             // "component Pkg::Name", for messages
    VxpFileIdentity identity;           // the old file as read (exists = false: there was none)
};

// What the commit does besides putting the files in place; each may throw CliError.
struct CommitSteps {
    std::function<void()> beforeReplace; // the new texts are flushed, no old file is replaced yet
    std::function<void()> writeRecovery; // the files are in place
    std::function<void()> afterPlaced;   // the recovery files are written
    std::function<void()> rolledBack;    // every old file is back
};

// Commits the changes. Just before an old file is replaced, it is checked to be the file
// the run read (size, time, number, and its bytes' size and hashes); a file changed meanwhile, or one that appeared
// where the run creates a file, rolls the run back (ExitUserText) naming it. Throws
// CliError when the run cannot be committed, after putting every old file back (or, where
// even that fails, keeping the journal and saying so).
void CommitRun(const RunPlan& plan, const std::vector<FileChange>& changes, const std::wstring& modelFile,
               const CommitSteps& steps);

// Recovers the journal of an interrupted run in each top folder: zone text of an old file
// that is in no current file of that run (nor already in its recovery file) is saved to
// the recovery file with a warning; a file left torn or missing gets its old text back.
// With dryRun, only says that a journal is there.
void RecoverInterruptedRuns(const RunPlan& plan, bool dryRun);

} // namespace VexloCli
