#include "RunFiles.h"

#include "Console.h"

#include "vxplat/CodePage.h"
#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <cwctype>

namespace VexloCli {

namespace fs = std::filesystem;

std::wstring Slashed(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

std::wstring ParentFolder(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"/\\");
    if (slash == std::wstring::npos)
        return std::wstring();
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

fs::path PathOf(const std::wstring& text)
{
    std::string utf8 = Narrow(text);
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::wstring WideOf(const fs::path& path)
{
    std::u8string utf8 = path.u8string();
    if (utf8.empty())
        return std::wstring();
    const char* bytes = reinterpret_cast<const char*>(utf8.data());
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::optional<std::string> ReadWhole(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    // Straight into the string: one byte more than the size, so that the read that finds
    // the end needs no room of its own (a file that grows meanwhile is read on).
    std::string text;
    DWORD high = 0, size = GetFileSize(file, &high);
    text.resize((size != INVALID_FILE_SIZE && high == 0 ? size_t(size) : 0) + 1);
    size_t used = 0;
    DWORD read = 0;
    bool ok = true;
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const DWORD room = static_cast<DWORD>(std::min<size_t>(text.size() - used, 1u << 30));
        if (!(ok = ReadFile(file, text.data() + used, room, &read, nullptr)) || read == 0)
            break;
        used += read;
    }
    text.resize(used);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) {
        SetLastError(error);
        return std::nullopt;
    }
    return text;
}

bool CreateFolders(const std::wstring& folder)
{
    if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        return true;
    std::wstring parent = ParentFolder(folder);
    if (!parent.empty() && parent != folder && !CreateFolders(parent))
        return false;
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace {

bool WriteHandle(HANDLE file, const std::string& text, bool flush)
{
    DWORD written = 0;
    bool ok = text.empty() ||
              (WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size());
    ok = ok && (!flush || FlushFileBuffers(file));
    DWORD error = GetLastError();
    ok = CloseHandle(file) && ok;
    if (!ok)
        SetLastError(error);
    return ok;
}

} // namespace

bool StageFile(const std::wstring& path, const std::string& text, StagedFile& staged)
{
    staged = StagedFile();
    // A read-only file is not replaced behind its owner's back, as on Windows.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".vxnew";
    DeleteFileW(temporary.c_str()); // left by a process of the same number that was killed
    HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    staged.temporary = temporary;
    staged.handle = file;
    DWORD written = 0;
    if (!text.empty() &&
        !(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size())) {
        DWORD error = GetLastError();
        DiscardStaged(staged);
        SetLastError(error);
        return false;
    }
    VxpStartWriteBack(file);
    return true;
}

StagedFile* FlushStaged(const std::vector<StagedFile*>& batch)
{
    std::vector<HANDLE> handles;
    for (StagedFile* staged : batch)
        handles.push_back(staged->handle);
    size_t failed = VxpFlushFiles(handles.data(), handles.size());
    DWORD error = GetLastError();
    for (size_t i = 0; i < batch.size(); ++i) {
        if (!CloseHandle(batch[i]->handle) && failed == batch.size()) {
            failed = i;
            error = GetLastError();
        }
        batch[i]->handle = nullptr;
    }
    SetLastError(error);
    return failed < batch.size() ? batch[failed] : nullptr;
}

void DiscardStaged(StagedFile& staged)
{
    if (staged.handle)
        CloseHandle(staged.handle);
    if (!staged.temporary.empty())
        DeleteFileW(staged.temporary.c_str());
    staged = StagedFile();
}

bool PlaceStaged(const std::wstring& path, StagedFile& staged)
{
    bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    const wchar_t* temporary = staged.temporary.c_str();
    bool ok = exists ? ReplaceFileW(path.c_str(), temporary, nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)
                     : MoveFileExW(temporary, path.c_str(), MOVEFILE_WRITE_THROUGH);
    DWORD error = GetLastError();
    if (ok)
        staged.temporary.clear();
    else
        DiscardStaged(staged);
    SetLastError(error);
    return ok;
}

bool ReplaceDurably(const std::wstring& path, const std::string& text)
{
    StagedFile staged;
    if (!StageFile(path, text, staged))
        return false;
    if (FlushStaged({&staged})) {
        DWORD error = GetLastError();
        DiscardStaged(staged);
        SetLastError(error);
        return false;
    }
    if (!PlaceStaged(path, staged))
        return false;
    VxpFlushFolder(ParentFolder(path).c_str());
    return true;
}

bool AppendDurably(const std::wstring& path, const std::string& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    if (SetFilePointer(file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER) {
        DWORD error = GetLastError();
        CloseHandle(file);
        SetLastError(error);
        return false;
    }
    return WriteHandle(file, text, true);
}

bool WriteScratch(const std::wstring& path, const std::string& text)
{
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file != INVALID_HANDLE_VALUE && WriteHandle(file, text, false);
}

std::wstring LastErrorText() { return ErrorText(GetLastError()); }

std::wstring ErrorText(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return L"access is denied (read-only)";
    case ERROR_DISK_FULL: return L"no space is left on the device";
    case ERROR_FILENAME_EXCED_RANGE: return L"the name is too long";
    case ERROR_PATH_NOT_FOUND: return L"a folder on the way does not exist";
    case ERROR_FILE_NOT_FOUND: return L"no such file";
    default: return L"system error " + std::to_wstring(error);
    }
}

bool IsSymbolicLink(const std::wstring& path)
{
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(PathOf(Slashed(path)), error));
}

bool IsDanglingLink(const std::wstring& path)
{
    std::error_code error;
    fs::path p = PathOf(Slashed(path));
    return fs::is_symlink(fs::symlink_status(p, error)) && !fs::exists(p, error);
}

std::wstring Ansi(std::string_view text)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string AnsiBytes(const std::wstring& text)
{
    if (text.empty())
        return {};
    int length =
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                            nullptr);
    return narrow;
}

} // namespace VexloCli
