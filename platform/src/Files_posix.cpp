// Files over POSIX descriptors: a HANDLE is a descriptor the layer keeps a record of,
// with whether it lies in the scratch folder (whose files are never flushed).
#include "vxplat/Files.h"
#include "vxplat/Durability.h"
#include "vxplat/Kernel.h"

#include "PosixFiles.h"
#include "PosixText.h"

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
#include <optional>
#include <system_error>
#include <thread>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

using vxp::ErrorFromErrno;
using vxp::FailWithErrno;
using vxp::Resolve;

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
    struct stat entry;
    const bool creates = (flags & O_CREAT) && lstat(path.c_str(), &entry) != 0;
    std::optional<vxp::FolderChange> change;
    if (creates) change.emplace(path);
    int fd = open(path.c_str(), flags, mode);
    if (fd < 0) {
        FailWithErrno(missingParents);
        return INVALID_HANDLE_VALUE;
    }
    if (change) change->Done({{path, true}});
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

std::string vxp::ScratchFolder()
{
    std::lock_guard<std::mutex> lock(g_scratchMutex);
    return g_scratchFolder;
}

void VxpSetScratchFolder(const wchar_t* folder)
{
    std::string path = folder ? vxp::ResolvePath(folder, nullptr) : std::string();
    if (!path.empty() && path.back() != '/') path += '/';
    std::lock_guard<std::mutex> lock(g_scratchMutex);
    g_scratchFolder = path;
}
