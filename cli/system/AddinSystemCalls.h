// The add-in's calls of the system that the host answers, on every platform as on Linux:
// its message boxes go to standard error and get their default button (no window ever
// opens, nothing waits for a click), and its ANSI conversions (MultiByteToWideChar and
// WideCharToMultiByte with CP_ACP, GetACP, IsDBCSLeadByte, CharUpperA/CharLowerA) run in
// the code page of the run: the model's, --codepage, or UTF-8. On Linux the platform
// layer is the add-in's system and does both itself. On Windows the add-in module's
// import table is pointed at the host's functions here (the foundation's CLmAPIHook,
// import method), right after the module is loaded; the add-in's code is untouched.
#pragma once

#include "AddinLoader.h"

#include "vxplat/Types.h"

namespace VexloCli {

// The code page of the add-in's ANSI conversions from now on (0: the system's).
void SetAddinCodePage(unsigned codePage);

// Answers the module's system calls (once per module). Throws CliError (ExitAddinLoad),
// naming the code pages, when the add-in's conversions cannot be given the run's code
// page and the system's differs from it.
void AnswerSystemCalls(HMODULE module, const std::wstring& modulePath, const HostTrace& trace);

} // namespace VexloCli
