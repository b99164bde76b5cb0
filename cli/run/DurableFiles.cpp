#include "DurableFiles.h"

#include "Console.h"

#include "vxplat/CodePage.h"
#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <cwctype>

namespace VexloCli {

namespace fs = std::filesystem;

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

namespace {

// The temporary file of StageFile, created and open for writing.
bool CreateStaged(const std::wstring& path, StagedFile& staged)
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
    return true;
}

// Appends to a staged file; a failure discards it.
bool WriteStaged(StagedFile& staged, std::string_view text)
{
    DWORD written = 0;
    if (text.empty() ||
        (WriteFile(staged.handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size()))
        return true;
    DWORD error = GetLastError();
    DiscardStaged(staged);
    SetLastError(error);
    return false;
}

// Flushed, put in place and the folder flushed: the end of ReplaceDurably.
bool PlaceDurably(const std::wstring& path, StagedFile& staged)
{
    if (FlushStaged({&staged})) {
        DWORD error = GetLastError();
        DiscardStaged(staged);
        SetLastError(error);
        return false;
    }
    if (!PlaceStaged(path, staged))
        return false;
    // The rename is durable only with its folder.
    return VxpFlushFolder(ParentFolder(path).c_str());
}

} // namespace

bool StageFile(const std::wstring& path, const std::string& text, StagedFile& staged, bool writeBack)
{
    if (!CreateStaged(path, staged) || !WriteStaged(staged, text))
        return false;
    if (writeBack)
        VxpStartWriteBack(staged.handle);
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

bool CloseStaged(StagedFile& staged)
{
    const bool ok = !staged.handle || CloseHandle(staged.handle);
    staged.handle = nullptr;
    return ok;
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
    return StageFile(path, text, staged) && PlaceDurably(path, staged);
}

bool ReplaceDurably(const std::wstring& path, const std::function<bool(std::string& piece)>& next)
{
    StagedFile staged;
    if (!CreateStaged(path, staged))
        return false;
    std::string piece;
    for (bool more = true; more;) {
        piece.clear();
        more = next(piece);
        if (!WriteStaged(staged, piece))
            return false;
    }
    return PlaceDurably(path, staged);
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
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return L"a file of that name exists already";
    case ERROR_DIRECTORY: return L"a folder stands where a file is needed";
    case ERROR_DIR_NOT_EMPTY: return L"the folder is not empty";
    case ERROR_TOO_MANY_OPEN_FILES: return L"too many files are open";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"another process has the file open or locked";
    case ERROR_NOT_SAME_DEVICE: return L"the two names are on different volumes";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return L"the name is not a valid file name";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return L"not enough memory";
    case ERROR_INVALID_HANDLE: return L"the file was closed under the run";
    // Set by the run itself: a new text read back from its scratch folder (HeldText).
    case ERROR_INVALID_DATA: return L"the text the run made for it changed in the run's scratch folder";
    case ERROR_SUCCESS: return L"the system gave no reason (an input/output error?)";
    default: return L"system error " + std::to_wstring(error);
    }
}

} // namespace VexloCli
