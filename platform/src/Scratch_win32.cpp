#include "vxplat/Scratch.h"

#include <windows.h>

std::wstring VxpUserScratchFolder(std::wstring* warning, std::wstring* error)
{
    warning->clear();
    error->clear();
    // The temporary folder of a Windows user is in the user's profile, private already.
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring base = length ? std::wstring(buffer, length) : std::wstring();
    DWORD attributes = base.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(base.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *warning = L"the temporary folder " + base + L" is not usable for scratch files; using the Windows folder's Temp";
        length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
        base = std::wstring(buffer, length) + L"\\Temp\\";
    }
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/'))
        base.pop_back();
    std::wstring folder = base + L"\\vexlo";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        *error = folder + L": cannot be created";
        return std::wstring();
    }
    attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = folder + L": is not a folder of its own (a link?)";
        return std::wstring();
    }
    return folder;
}
