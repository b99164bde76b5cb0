// One generation run per output folder at a time, whoever starts it: each top output
// folder has its lock file in the folder itself ("<top>/.vexlo/lock", never opened through
// a link), so that every process writing there takes turns, any user, any TMPDIR, and
// other machines where the file system shares locks. A run holds an advisory lock on it
// (flock on POSIX, LockFileEx on Windows; it ends with the process, so the lock of a
// killed run is taken over at once) and writes its process number into it, so that a
// second run can say whom it waits for.
#pragma once

#include <string>
#include <vector>

namespace VexloCli {

// The folder of a top output folder that holds a run's journal while it commits.
std::wstring StateFolderOf(const std::wstring& top);

class RunLock {
public:
    // Locks every folder (in a fixed order, so that two runs cannot wait for each other),
    // waiting up to VEXLO_LOCK_WAIT seconds (default 30) for each, with a message naming
    // the process that holds it. Throws CliError (ExitHostError) when the wait ends.
    explicit RunLock(std::vector<std::wstring> tops);
    ~RunLock();
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

private:
    std::vector<void*> m_handles;
};

} // namespace VexloCli
