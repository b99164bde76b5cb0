// What the POSIX files and folders share inside the layer: a path argument resolved
// against the names that exist (ignoring letter case, as Windows does), and errno
// told as the Win32 error that callers look for.
#pragma once

#include "vxplat/Types.h"

#include <string>

namespace vxp {

DWORD ErrorFromErrno(int e);
// Sets the last error from errno; a missing file under missing folders is a missing path.
void FailWithErrno(bool missingParents);
// Resolves a path argument; false (with the error set) for a null or empty path.
bool Resolve(LPCWSTR path, std::string& out, bool& missingParents);
// The scratch folder (VxpSetScratchFolder), resolved, with a final '/'; "" when none.
std::string ScratchFolder();

}  // namespace vxp
