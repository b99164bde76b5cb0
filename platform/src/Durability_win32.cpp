#include "vxplat/Durability.h"

#include <windows.h>

// NTFS makes a rename durable with the file's own flush; folders have nothing more.
bool VxpFlushFolder(const wchar_t*) { return true; }

bool VxpLinkFile(const wchar_t* existing, const wchar_t* newName)
{
    return CreateHardLinkW(newName, existing, nullptr) != FALSE;
}

bool VxpProcessAlive(unsigned long pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED; // it runs, as another user
    DWORD code = 0;
    bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

// A console's Ctrl+C ends the process on a thread of its own; a commit that is cut off
// there is recovered from its journal by the next run, so nothing is deferred here.
void VxpDeferTermination(bool) {}
void VxpRemoveOnTermination(const wchar_t*) {}

// The fault switch is a test aid of the POSIX build.
bool VxpFaultBeforeChange() { return true; }
