// Folder entries over POSIX: creating and removing folders and files, moving and
// replacing them, and full path names.
#include "vxplat/Files.h"
#include "vxplat/Durability.h"
#include "vxplat/Kernel.h"

#include "PosixFiles.h"
#include "PosixText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

using vxp::ErrorFromErrno;
using vxp::FailWithErrno;
using vxp::Resolve;

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
    vxp::FolderChange change(path);
    if (mkdir(path.c_str(), 0777) != 0) {
        int e = errno;
        SetLastError(e == EEXIST ? ERROR_ALREADY_EXISTS : e == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(e));
        return FALSE;
    }
    change.Done({{path, true}});
    return TRUE;
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR pathName)
{
    if (!VxpFaultBeforeChange()) return FALSE;
    std::string path;
    bool missingParents = false;
    if (!Resolve(pathName, path, missingParents)) return FALSE;
    vxp::FolderChange change(path);
    if (rmdir(path.c_str()) != 0) {
        int e = errno;
        SetLastError(e == ENOTDIR ? ERROR_DIRECTORY : e == ENOENT && missingParents ? ERROR_PATH_NOT_FOUND
                                                                                    : ErrorFromErrno(e));
        return FALSE;
    }
    change.Done({{path, false}});
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
    vxp::FolderChange change(path);
    if (unlink(path.c_str()) != 0) {
        FailWithErrno(missingParents);
        return FALSE;
    }
    change.Done({{path, false}});
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
    const bool replaces = lstat(to.c_str(), &target) == 0;
    vxp::FolderChange fromChange(from), toChange(to);
    if (rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    if (from == to) {
        fromChange.Done({{from, false}, {to, true}}); // the letter case, perhaps
    } else if (vxp::SameFolder(from, to)) {
        std::vector<std::pair<std::string, bool>> names{{from, false}};
        if (!replaces) names.push_back({to, true});
        fromChange.Done(names);
    } else {
        fromChange.Done({{from, false}});
        toChange.Done(replaces ? std::vector<std::pair<std::string, bool>>() : std::vector<std::pair<std::string, bool>>{{to, true}});
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
    vxp::FolderChange replacementChange(replacement), targetChange(target);
    if (rename(replacement.c_str(), target.c_str()) == 0) {
        // The replacement's name goes; the target's stays.
        replacementChange.Done({{replacement, false}});
        if (!vxp::SameFolder(replacement, target)) targetChange.Done({});
        return TRUE;
    }
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
    vxp::FolderChange change(replacement);
    if (unlink(replacement.c_str()) == 0) change.Done({{replacement, false}});
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
