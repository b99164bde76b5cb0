#include "RunLock.h"

#include "Console.h"
#include "FailureNotes.h"
#include "RunFiles.h"

#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <thread>

namespace VexloCli {

std::wstring StateFolderOf(const std::wstring& top) { return top + L"\\.vexlo"; }

namespace {

std::wstring LockPathOf(const std::wstring& top) { return StateFolderOf(top) + L"\\lock"; }

bool TryLock(HANDLE file)
{
    // A byte far past the end: Windows locks ranges against reading, and the holder's
    // number must stay readable.
    OVERLAPPED at{};
    at.Offset = 0x7FFFFFFF;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != FALSE;
}

std::wstring Holder(const std::wstring& path)
{
    std::optional<std::string> text = ReadWhole(path);
    std::string pid = text ? text->substr(0, text->find_first_of("\r\n")) : std::string();
    return pid.empty() ? std::wstring(L"another vexlo process") : L"vexlo process " + Ansi(pid);
}

} // namespace

RunLock::RunLock(std::vector<std::wstring> tops)
{
    std::sort(tops.begin(), tops.end(), [](const std::wstring& a, const std::wstring& b) { return Lower(a) < Lower(b); });
    double wait = 30;
    if (const char* text = std::getenv("VEXLO_LOCK_WAIT"))
        wait = std::atof(text);
    for (const std::wstring& top : tops) {
        std::wstring path = LockPathOf(top);
        for (const std::wstring& own : {StateFolderOf(top), path})
            if (IsSymbolicLink(own))
                throw CliError(ExitHostError, Slashed(own) + L": is a symbolic link; vexlo keeps its own files in the "
                                                             L"output folder itself and follows no link there, so "
                                                             L"nothing was written. Remove the link and run again.");
        if (!CreateFolders(StateFolderOf(top))) {
            std::wstring error = LastErrorText(), why = WhyCannotCreate(StateFolderOf(top) + L"\\lock");
            throw CliError(ExitHostError, Slashed(StateFolderOf(top)) + L": the folder of the run's lock cannot be "
                                              L"created: " + (why.empty() ? error : why) + L"; nothing was written.");
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            throw CliError(ExitHostError, Slashed(path) + L": the run's lock file cannot be opened: " + LastErrorText() +
                                              L"; nothing was written.");
        auto start = std::chrono::steady_clock::now();
        bool told = false;
        while (!TryLock(file)) {
            double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (waited >= wait) {
                std::wstring holder = Holder(path);
                CloseHandle(file);
                throw CliError(ExitHostError, Slashed(top) + L": " + holder + L" is still generating into this folder "
                                              L"after " + std::to_wstring(static_cast<int>(wait)) +
                                              L" s of waiting; nothing was written. Run again when it has finished "
                                              L"(VEXLO_LOCK_WAIT sets how long to wait).");
            }
            if (!told) {
                OutLine(L"vexlo: waiting for " + Holder(path) + L", which is generating into " + Slashed(top));
                told = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // The lock is ours; the number of the process holding it is for the messages above.
        std::string pid = std::to_string(GetCurrentProcessId()) + "\n";
        DWORD written = 0;
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        if (SetEndOfFile(file))
            WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
        m_handles.push_back(file);
    }
}

RunLock::~RunLock()
{
    for (void* handle : m_handles)
        CloseHandle(static_cast<HANDLE>(handle));
}

} // namespace VexloCli
