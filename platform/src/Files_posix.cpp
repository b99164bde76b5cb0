// Files and folders over POSIX descriptors. Windows paths are case-insensitive
// and the system relies on it, so each component of a path is matched against
// what already exists (exact name first, else the first name equal ignoring
// case); what does not exist yet is created with the case given.
#include "vxplat/Files.h"
#include "vxplat/Durability.h"
#include "vxplat/Kernel.h"

#include "PosixText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <system_error>
#include <thread>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace vxp {

namespace {

// A folder's entries by their names in upper case, each with the first name in byte
// order that has it, as they were when the folder had this identity and these times.
struct FolderListing {
    dev_t device;
    ino_t inode;
    timespec modified, changed;
    std::unordered_map<std::wstring, std::string> byUpperName;
};

std::mutex g_listingMutex;
std::unordered_map<std::string, FolderListing> g_listings;

std::wstring UpperName(const std::string& name)
{
    std::wstring upper = FromUtf8(name);
    for (auto& c : upper) c = ToUpperChar(c);
    return upper;
}

bool Before(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

bool Same(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Whether a folder with these times changed early enough before `now` that a later change
// must give it other times. File systems with times in whole milliseconds or coarser
// (seconds, FAT's two seconds) are given two seconds; the others one tick of the clock.
bool SettledBefore(const struct stat& st, timespec now)
{
    if (st.st_mtim.tv_nsec % 1000000 == 0 && st.st_ctim.tv_nsec % 1000000 == 0) now.tv_sec -= 2;
    return Before(st.st_mtim, now) && Before(st.st_ctim, now);
}

// The entry of the folder that equals the name ignoring letter case (the first in byte
// order when several do); "" when none does. A folder is listed again only when it has
// changed: any change to its entries moves its modification time past the moment it
// was last listed. A listing taken within the file system's time resolution of the
// folder's last change cannot tell a change that follows, and is not kept.
std::string NameInFolder(const std::string& folder, const std::string& name)
{
    timespec started;
    clock_gettime(CLOCK_REALTIME_COARSE, &started);
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) return std::string();
    const std::wstring wanted = UpperName(name);
    std::lock_guard<std::mutex> lock(g_listingMutex);
    auto it = g_listings.find(folder);
    if (it != g_listings.end() && it->second.device == st.st_dev && it->second.inode == st.st_ino &&
        Same(it->second.modified, st.st_mtim) && Same(it->second.changed, st.st_ctim)) {
        auto found = it->second.byUpperName.find(wanted);
        return found == it->second.byUpperName.end() ? std::string() : found->second;
    }
    FolderListing listing{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, {}};
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string entryName = entry->d_name;
            if (entryName == "." || entryName == "..") continue;
            auto [at, added] = listing.byUpperName.emplace(UpperName(entryName), entryName);
            if (!added && entryName < at->second) at->second = entryName;
        }
        closedir(dir);
    }
    auto found = listing.byUpperName.find(wanted);
    std::string result = found == listing.byUpperName.end() ? std::string() : found->second;
    if (SettledBefore(st, started))
        g_listings[folder] = std::move(listing);
    else if (it != g_listings.end())
        g_listings.erase(it);
    return result;
}

}  // namespace

std::string ResolvePath(const wchar_t* path, bool* missingParents)
{
    if (missingParents) *missingParents = false;
    std::wstring text(path ? path : L"");
    for (auto& c : text)
        if (c == L'\\') c = L'/';
    std::string utf8 = ToUtf8(text);
    bool absolute = !utf8.empty() && utf8[0] == '/';

    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= utf8.size()) {
        size_t next = utf8.find('/', pos);
        if (next == std::string::npos) next = utf8.size();
        if (next > pos) parts.push_back(utf8.substr(pos, next - pos));
        pos = next + 1;
    }

    // A path that exists as given has every component in its exact case: one look-up
    // instead of one per component. So has the folder of a new name, which then needs
    // only that folder listed.
    std::string exact = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) exact += (i ? "/" : "") + parts[i];
    struct stat st;
    if (exact.empty() || lstat(exact.c_str(), &st) == 0) return exact.empty() ? (absolute ? "/" : ".") : exact;
    size_t lastSlash = exact.rfind('/');
    const std::string& last = parts.back();
    if (last != "." && last != ".." && (lastSlash == std::string::npos || lastSlash > 0)) {
        std::string folder = lastSlash == std::string::npos ? "." : exact.substr(0, lastSlash);
        if (lstat(folder.c_str(), &st) == 0) {
            std::string found = NameInFolder(folder, last);
            return (lastSlash == std::string::npos ? "" : folder + "/") + (found.empty() ? last : found);
        }
    }

    std::string result = absolute ? "/" : "";
    bool parentExists = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string name = part;
        if (part != "." && part != ".." && parentExists) {
            std::string candidate = result + part;
            if (lstat(candidate.c_str(), &st) != 0) {
                std::string best = NameInFolder(result.empty() ? "." : result, part);
                if (!best.empty()) {
                    name = best;
                } else {
                    if (i + 1 < parts.size() && missingParents) *missingParents = true;
                    parentExists = false;
                }
            }
        } else if (!parentExists && i + 1 < parts.size() && missingParents) {
            *missingParents = true;
        }
        result += name;
        if (i + 1 < parts.size()) result += '/';
    }
    if (result.empty()) result = absolute ? "/" : ".";
    return result;
}

}  // namespace vxp

namespace {

struct FileObject {
    int fd;
    bool scratch; // below the scratch folder: never flushed
};

std::mutex g_scratchMutex;
std::string g_scratchFolder; // resolved, with a final '/'; empty: none

bool InScratch(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_scratchMutex);
    return !g_scratchFolder.empty() && path.compare(0, g_scratchFolder.size(), g_scratchFolder) == 0;
}

std::mutex g_handleMutex;
std::set<FileObject*> g_handles;

FileObject* Lookup(HANDLE h)
{
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = g_handles.find(static_cast<FileObject*>(h));
    return it == g_handles.end() ? nullptr : *it;
}

// Enough to have a file system's commit take all of a run's flushes at once.
const size_t kFlushingThreads = 8;

DWORD ErrorFromErrno(int e)
{
    switch (e) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
    }
}

void FailWithErrno(bool missingParents)
{
    int e = errno;
    SetLastError(e == ENOENT && missingParents ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(e));
}

// Resolves a path argument; false (with the error set) for a null or empty path.
bool Resolve(LPCWSTR path, std::string& out, bool& missingParents)
{
    if (!path || !*path) {
        SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return false;
    }
    out = vxp::ResolvePath(path, &missingParents);
    return true;
}

}  // namespace

HANDLE WINAPI CreateFileW(LPCWSTR fileName, DWORD access, DWORD /*shareMode: not enforced*/,
                          LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flagsAndAttributes, HANDLE)
{
    std::string path;
    bool missingParents = false;
    if (!Resolve(fileName, path, missingParents)) return INVALID_HANDLE_VALUE;
    if (missingParents) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int flags = O_CLOEXEC | ((flagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT) ? O_NOFOLLOW : 0);
    bool read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
    bool write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
    flags |= (read && write) ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    if (write && !VxpFaultBeforeChange()) return INVALID_HANDLE_VALUE;
    struct stat st;
    bool existed = stat(path.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
        if (!write) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        flags |= O_TRUNC;
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = open(path.c_str(), flags, mode);
    if (fd < 0) {
        FailWithErrno(missingParents);
        return INVALID_HANDLE_VALUE;
    }
    auto* file = new FileObject{fd, InScratch(path)};
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        g_handles.insert(file);
    }
    // Windows reports that an existing file was opened or overwritten.
    bool reportExisting = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return file;
}

BOOL WINAPI CloseHandle(HANDLE h)
{
    FileObject* file;
    {
        std::lock_guard<std::mutex> lock(g_handleMutex);
        auto it = g_handles.find(static_cast<FileObject*>(h));
        if (it == g_handles.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        file = *it;
        g_handles.erase(it);
    }
    close(file->fd);
    delete file;
    return TRUE;
}

BOOL WINAPI LockFileEx(HANDLE h, DWORD flags, DWORD, DWORD, DWORD, LPOVERLAPPED)
{
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    int operation = ((flags & LOCKFILE_EXCLUSIVE_LOCK) ? LOCK_EX : LOCK_SH) | ((flags & LOCKFILE_FAIL_IMMEDIATELY) ? LOCK_NB : 0);
    while (flock(file->fd, operation) != 0) {
        if (errno == EINTR) continue;
        SetLastError(errno == EWOULDBLOCK ? ERROR_LOCK_VIOLATION : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI UnlockFileEx(HANDLE h, DWORD, DWORD, DWORD, LPOVERLAPPED)
{
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (flock(file->fd, LOCK_UN) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE h, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped)
{
    if (done) *done = 0;
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (overlapped) {
        off_t at = static_cast<off_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset);
        lseek(file->fd, at, SEEK_SET);
    }
    auto* p = static_cast<char*>(buffer);
    DWORD total = 0;
    while (total < count) {
        ssize_t n = read(file->fd, p + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno));
            if (done) *done = total;
            return FALSE;
        }
        if (n == 0) break;
        total += static_cast<DWORD>(n);
    }
    if (done) *done = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE h, LPCVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED overlapped)
{
    if (done) *done = 0;
    if (!VxpFaultBeforeChange()) return FALSE;
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (overlapped) {
        off_t at = static_cast<off_t>((static_cast<uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset);
        lseek(file->fd, at, SEEK_SET);
    }
    const auto* p = static_cast<const char*>(buffer);
    DWORD total = 0;
    while (total < count) {
        ssize_t n = write(file->fd, p + total, count - total);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(errno));
            if (done) *done = total;
            return FALSE;
        }
        total += static_cast<DWORD>(n);
    }
    if (done) *done = total;
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE h, LONG distance, PLONG distanceHigh, DWORD method)
{
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t offset = distanceHigh
                         ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                static_cast<uint32_t>(distance))
                         : static_cast<int64_t>(distance);
    int64_t base;
    switch (method) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = lseek(file->fd, 0, SEEK_CUR); break;
    case FILE_END: {
        struct stat st;
        if (fstat(file->fd, &st) != 0) {
            SetLastError(ErrorFromErrno(errno));
            return INVALID_SET_FILE_POINTER;
        }
        base = st.st_size;
        break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
    }
    int64_t target = base + offset;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (!distanceHigh && target > 0xFFFFFFFELL) {
        // Without the high part the new position must fit in 32 bits.
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd, static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(static_cast<uint64_t>(target) & 0xFFFFFFFFu);
}

DWORD WINAPI GetFileSize(HANDLE h, LPDWORD high)
{
    FileObject* file = Lookup(h);
    struct stat st;
    if (!file || fstat(file->fd, &st) != 0) {
        SetLastError(file ? ErrorFromErrno(errno) : ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (high) *high = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL WINAPI SetEndOfFile(HANDLE h)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    off_t at = lseek(file->fd, 0, SEEK_CUR);
    if (at < 0 || ftruncate(file->fd, at) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE h)
{
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (file->scratch || fsync(file->fd) == 0 || errno == EINVAL)
        return TRUE;
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
}

bool VxpStartWriteBack(HANDLE h)
{
    FileObject* file = Lookup(h);
    if (!file) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
#ifdef SYNC_FILE_RANGE_WRITE
    // Linux: queues the dirty pages for writing now rather than when the flush asks.
    if (!file->scratch) sync_file_range(file->fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return true;
}

size_t VxpFlushFiles(const HANDLE* files, size_t count)
{
    // Waits that overlap: a journalling file system commits the flushes that arrive
    // together once, where one after the other each waits for a commit of its own.
    std::vector<DWORD> errors(count, ERROR_SUCCESS);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next++) < count;)
            if (!FlushFileBuffers(files[i])) errors[i] = GetLastError();
    };
    std::vector<std::thread> helpers;
    const size_t wanted = std::min<size_t>(count, kFlushingThreads) - (count ? 1 : 0);
    try {
        while (helpers.size() < wanted) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No thread to be had: the ones there are (this one at least) do the work.
    }
    work();
    for (auto& helper : helpers) helper.join();
    for (size_t i = 0; i < count; ++i)
        if (errors[i] != ERROR_SUCCESS) {
            SetLastError(errors[i]);
            return i;
        }
    return count;
}

void VxpSetScratchFolder(const wchar_t* folder)
{
    std::string path = folder ? vxp::ResolvePath(folder, nullptr) : std::string();
    if (!path.empty() && path.back() != '/') path += '/';
    std::lock_guard<std::mutex> lock(g_scratchMutex);
    g_scratchFolder = path;
}

BOOL WINAPI CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    std::string path;
    bool missingParents = false;
    if (!Resolve(pathName, path, missingParents)) return FALSE;
    if (missingParents) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(path.c_str(), 0777) != 0) {
        int e = errno;
        SetLastError(e == EEXIST ? ERROR_ALREADY_EXISTS : e == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(e));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR pathName)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    std::string path;
    bool missingParents = false;
    if (!Resolve(pathName, path, missingParents)) return FALSE;
    if (rmdir(path.c_str()) != 0) {
        int e = errno;
        SetLastError(e == ENOTDIR ? ERROR_DIRECTORY : e == ENOENT && missingParents ? ERROR_PATH_NOT_FOUND
                                                                                    : ErrorFromErrno(e));
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR fileName)
{
    std::string path;
    bool missingParents = false;
    if (!Resolve(fileName, path, missingParents)) return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        FailWithErrno(missingParents);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

BOOL WINAPI DeleteFileW(LPCWSTR fileName)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    std::string path;
    bool missingParents = false;
    if (!Resolve(fileName, path, missingParents)) return FALSE;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        FailWithErrno(missingParents);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI MoveFileExW(LPCWSTR existingName, LPCWSTR newName, DWORD flags)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    std::string from, to;
    bool fromMissing = false, toMissing = false;
    if (!Resolve(existingName, from, fromMissing) || !Resolve(newName, to, toMissing)) return FALSE;
    struct stat st;
    if (lstat(from.c_str(), &st) != 0) {
        FailWithErrno(fromMissing);
        return FALSE;
    }
    if (toMissing) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    struct stat target;
    if (from != to && lstat(to.c_str(), &target) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(target.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (from == to && existingName && newName) {
        // Same entry, perhaps another letter case: rename to the case asked for.
        std::string asked = vxp::ToUtf8(newName, std::wcslen(newName));
        for (auto& c : asked)
            if (c == '\\') c = '/';
        size_t slash = to.rfind('/');
        size_t askedSlash = asked.rfind('/');
        to = (slash == std::string::npos ? std::string() : to.substr(0, slash + 1)) +
             (askedSlash == std::string::npos ? asked : asked.substr(askedSlash + 1));
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI MoveFileW(LPCWSTR existingName, LPCWSTR newName) { return MoveFileExW(existingName, newName, 0); }

BOOL WINAPI ReplaceFileW(LPCWSTR replacedName, LPCWSTR replacementName, LPCWSTR backupName, DWORD, LPVOID, LPVOID)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    std::string replaced, replacement;
    bool replacedMissing = false, replacementMissing = false;
    if (!Resolve(replacedName, replaced, replacedMissing) || !Resolve(replacementName, replacement, replacementMissing))
        return FALSE;
    if (backupName) {
        SetLastError(ERROR_INVALID_PARAMETER);  // no caller keeps a backup
        return FALSE;
    }
    struct stat st;
    if (stat(replaced.c_str(), &st) != 0) {
        FailWithErrno(replacedMissing);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A symbolic link keeps pointing where it did: the file it names is the one replaced.
    std::string target = replaced;
    struct stat link;
    if (lstat(replaced.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char* real = realpath(replaced.c_str(), nullptr);
        if (!real) {
            FailWithErrno(false);
            return FALSE;
        }
        target = real;
        std::free(real);
    }
    struct stat own;
    if (lstat(replacement.c_str(), &own) != 0) {
        FailWithErrno(replacementMissing);
        return FALSE;
    }
    // The old file's permissions and, where allowed, its owner.
    if (chmod(replacement.c_str(), st.st_mode & 07777) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    if ((own.st_uid != st.st_uid || own.st_gid != st.st_gid) && chown(replacement.c_str(), st.st_uid, st.st_gid) != 0) {
        // Not ours to give away: the file keeps the writer's owner, as a copy would.
    }
    if (rename(replacement.c_str(), target.c_str()) == 0) return TRUE;
    if (errno != EXDEV) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    // The link points to another file system: the target is rewritten in place.
    int in = open(replacement.c_str(), O_RDONLY | O_CLOEXEC);
    int out = in < 0 ? -1 : open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool ok = in >= 0 && out >= 0;
    char buffer[65536];
    while (ok) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            done += ok ? w : 0;
        }
    }
    int error = errno;
    if (in >= 0) close(in);
    if (out >= 0) ok = close(out) == 0 && ok;
    if (!ok) {
        SetLastError(ErrorFromErrno(error));
        return FALSE;
    }
    unlink(replacement.c_str());
    return TRUE;
}

DWORD WINAPI GetCurrentDirectoryW(DWORD size, LPWSTR buffer)
{
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) {
        SetLastError(ErrorFromErrno(errno));
        return 0;
    }
    std::wstring w = vxp::FromUtf8(cwd, std::strlen(cwd));
    if (!buffer || w.size() + 1 > size) return static_cast<DWORD>(w.size() + 1);
    w.copy(buffer, w.size());
    buffer[w.size()] = 0;
    return static_cast<DWORD>(w.size());
}

DWORD WINAPI GetFullPathNameW(LPCWSTR fileName, DWORD size, LPWSTR buffer, LPWSTR* filePart)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::wstring path(fileName);
    for (auto& c : path)
        if (c == L'\\') c = L'/';
    if (path[0] != L'/') {
        char cwd[PATH_MAX];
        if (!getcwd(cwd, sizeof cwd)) {
            SetLastError(ErrorFromErrno(errno));
            return 0;
        }
        path = vxp::FromUtf8(cwd, std::strlen(cwd)) + L"/" + path;
    }
    // Fold "." and ".." lexically, as Windows does, keeping a trailing separator.
    bool trailing = path.back() == L'/';
    std::vector<std::wstring> parts;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t next = path.find(L'/', pos);
        if (next == std::wstring::npos) next = path.size();
        std::wstring part = path.substr(pos, next - pos);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::wstring full;
    for (const auto& part : parts) full += L"/" + part;
    if (full.empty() || (trailing && !parts.empty())) full += L"/";
    if (!buffer || full.size() + 1 > size) return static_cast<DWORD>(full.size() + 1);
    full.copy(buffer, full.size());
    buffer[full.size()] = 0;
    if (filePart) {
        size_t slash = full.rfind(L'/');
        *filePart = (slash + 1 < full.size()) ? buffer + slash + 1 : nullptr;
    }
    return static_cast<DWORD>(full.size());
}
