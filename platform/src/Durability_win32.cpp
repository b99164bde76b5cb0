#include "vxplat/Durability.h"

#include "WorkerChanges.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <string>

bool VxpFlushFolder(const wchar_t* folder)
{
    DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // Only a handle opened for backup reaches a folder; flushing needs write access.
    HANDLE handle = CreateFileW(folder, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return true; // refused by the file system or the folder's rights: the files' own flushes stand
    // NTFS flushes a folder's entries; FAT, network shares and older systems refuse, and
    // there a rename is as durable as the flush of the file it names.
    FlushFileBuffers(handle);
    CloseHandle(handle);
    return true;
}

bool VxpStartWriteBack(HANDLE) { return true; }

size_t VxpFlushFiles(const HANDLE* files, size_t count)
{
    size_t failed = count;
    DWORD error = ERROR_SUCCESS;
    for (size_t i = 0; i < count; ++i)
        if (!FlushFileBuffers(files[i]) && failed == count) {
            failed = i;
            error = GetLastError();
        }
    if (failed < count)
        SetLastError(error);
    return failed;
}

// The add-in's flushes go to the system here, not through this layer.
void VxpSetScratchFolder(const wchar_t*) {}

bool VxpLinkFile(const wchar_t* existing, const wchar_t* newName)
{
    return CreateHardLinkW(newName, existing, nullptr) != FALSE;
}

bool VxpProcessAlive(unsigned long pid)
{
    if (pid == 0)
        return false;
    // PROCESS_QUERY_INFORMATION rather than the limited right: Windows XP knows only this.
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED; // it runs, as another user
    DWORD code = 0;
    bool alive = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

namespace {

// A console's Ctrl+C, Ctrl+Break and closing call the handler on a thread of its own,
// while the program runs on. The handler waits out a deferral, removes the folder and
// ends the process.
std::atomic<long> g_deferDepth{0};
CRITICAL_SECTION g_folderLock;
std::wstring* g_removeOnStop = nullptr; // guarded by g_folderLock

void RemoveTree(const std::wstring& folder, int depth)
{
    if (depth > 32)
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0)
                continue;
            std::wstring path = folder + L"\\" + found.cFileName;
            // A link to a folder elsewhere is removed as a name, never followed.
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path, depth + 1);
            } else {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                    SetFileAttributesW(path.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
                if (!DeleteFileW(path.c_str()))
                    RemoveDirectoryW(path.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

BOOL WINAPI OnStop(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    while (g_deferDepth.load() > 0)
        Sleep(10);
    vxp::StopWorkerChanges();
    EnterCriticalSection(&g_folderLock);
    if (g_removeOnStop && !g_removeOnStop->empty())
        RemoveTree(*g_removeOnStop, 0);
    // Kept until the process ends: a folder named later must not be removed behind it.
    LeaveCriticalSection(&g_folderLock);
    // Ended here with the system's code for it: the default handler is not the same
    // everywhere (wine's exits with 0), and the run must not look as if it succeeded.
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

void InstallHandler()
{
    static bool installed = [] {
        InitializeCriticalSection(&g_folderLock);
        g_removeOnStop = new std::wstring;
        SetConsoleCtrlHandler(OnStop, TRUE);
        return true;
    }();
    (void)installed;
}

} // namespace

void VxpDeferTermination(bool defer)
{
    InstallHandler();
    if (defer)
        ++g_deferDepth;
    else
        --g_deferDepth;
}

void VxpWorkerThread() {} // the console's handler has a thread of its own

void VxpRemoveOnTermination(const wchar_t* folder)
{
    InstallHandler();
    EnterCriticalSection(&g_folderLock);
    g_removeOnStop->assign(folder ? folder : L"");
    LeaveCriticalSection(&g_folderLock);
}

// The file functions here are the system's own, which the switch cannot reach; the POSIX
// build counts its changes in the functions standing in for them (see the header).
bool VxpFaultBeforeChange() { return true; }

bool VxpIdentifyFile(const wchar_t* path, VxpFileIdentity* identity)
{
    *identity = VxpFileIdentity();
    HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    if (!ok)
        return false;
    identity->exists = true;
    identity->size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity->modified = (static_cast<unsigned long long>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                         info.ftLastWriteTime.dwLowDateTime;
    identity->volume = info.dwVolumeSerialNumber;
    identity->index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}
