// What the POSIX files and folders share inside the layer: a path argument resolved
// against the names that exist (ignoring letter case, as Windows does), and errno
// told as the Win32 error that callers look for.
#pragma once

#include "vxplat/Types.h"

#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace vxp {

DWORD ErrorFromErrno(int e);
// Sets the last error from errno; a missing file under missing folders is a missing path.
void FailWithErrno(bool missingParents);
// Resolves a path argument; false (with the error set) for a null or empty path.
bool Resolve(LPCWSTR path, std::string& out, bool& missingParents);
// What tells a folder's entries changed: its identity and its times.
struct FolderState {
    dev_t device;
    ino_t inode;
    timespec modified, changed;
};

// A change this process makes to the entries of one folder, told to the cache of folder
// listings (which finds names ignoring letter case): taken before the change, done after
// it succeeded with the paths (resolved, in that folder) added (true) or removed (false).
// The folder's listing then follows the change instead of being read again.
class FolderChange {
public:
    explicit FolderChange(const std::string& path);
    void Done(const std::vector<std::pair<std::string, bool>>& names);

private:
    std::string m_folder;
    bool m_known = false;
    FolderState m_before{};
};

bool SameFolder(const std::string& a, const std::string& b); // of two resolved paths

// The scratch folder (VxpSetScratchFolder), resolved, with a final '/'; "" when none.
std::string ScratchFolder();

}  // namespace vxp
