// Where a process puts its scratch files: the user's own folder below the temporary
// folder. TMPDIR (TMP, TEMP on Windows) is taken when it names an absolute folder the
// process may write; otherwise the system's temporary folder is, never the current
// folder. Below it, "vexlo-<user>" is made private to the user (and refused when another
// user owns it or it is a link), so that no user's files block or reach another's.
#pragma once

#include <string>

// The folder ("" when none can be made; *error says why). *warning says why TMPDIR was
// passed over ("" when it was taken or not set).
std::wstring VxpUserScratchFolder(std::wstring* warning, std::wstring* error);
