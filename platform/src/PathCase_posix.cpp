// Paths over POSIX names. Windows paths are case-insensitive and the system relies
// on it, so each component of a path is matched against what already exists (exact
// name first, else the first name equal ignoring case); what does not exist yet is
// created with the case given.
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include "PosixFiles.h"
#include "PosixText.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace vxp {

namespace {

bool Same(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

FolderState StateOf(const struct stat& st) { return {st.st_dev, st.st_ino, st.st_mtim, st.st_ctim}; }

bool Same(const FolderState& a, const FolderState& b)
{
    return a.device == b.device && a.inode == b.inode && Same(a.modified, b.modified) && Same(a.changed, b.changed);
}

// A folder's entries by their names in upper case, each with the first name in byte
// order that has it and how many have it, as they were when the folder was in `state`.
struct FolderListing {
    FolderState state;
    struct Names {
        std::string first;
        size_t count = 0;
    };
    std::unordered_map<std::wstring, Names> byUpperName;
};

std::mutex g_listingMutex;
std::unordered_map<std::string, FolderListing> g_listings;
// Each folder's state right after this process last changed its entries through the layer.
std::unordered_map<std::string, FolderState> g_ownChanges;

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

// Whether a folder with these times changed early enough before `now` that a later change
// must give it other times. File systems with times in whole milliseconds or coarser
// (seconds, FAT's two seconds) are given two seconds; the others one tick of the clock.
bool SettledBefore(const struct stat& st, timespec now)
{
    if (st.st_mtim.tv_nsec % 1000000 == 0 && st.st_ctim.tv_nsec % 1000000 == 0) now.tv_sec -= 2;
    return Before(st.st_mtim, now) && Before(st.st_ctim, now);
}

// The key of a folder in the listings: no trailing separator.
std::string FolderKey(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder.empty() ? std::string(".") : folder;
}

// The entry of the folder that equals the name ignoring letter case (the first in byte
// order when several do); "" when none does. A folder is listed again only when it has
// changed: any change to its entries moves its modification time past the moment it
// was last listed. A listing taken within the file system's time resolution of the
// folder's last change cannot tell a change that follows, and is not kept, unless that
// change was this process's own: the folders a run fills (its scratch copies, the output
// folder it holds locked) would otherwise be listed again for every new name, which at
// hundreds of files a folder costs more than the rest of the run's file handling.
std::string NameInFolder(const std::string& given, const std::string& name)
{
    const std::string folder = FolderKey(given);
    timespec started;
    clock_gettime(CLOCK_REALTIME_COARSE, &started);
    struct stat st;
    if (stat(folder.c_str(), &st) != 0) return std::string();
    const FolderState state = StateOf(st);
    const std::wstring wanted = UpperName(name);
    std::lock_guard<std::mutex> lock(g_listingMutex);
    auto it = g_listings.find(folder);
    if (it != g_listings.end() && Same(it->second.state, state)) {
        auto found = it->second.byUpperName.find(wanted);
        return found == it->second.byUpperName.end() ? std::string() : found->second.first;
    }
    FolderListing listing{state, {}};
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string entryName = entry->d_name;
            if (entryName == "." || entryName == "..") continue;
            FolderListing::Names& names = listing.byUpperName[UpperName(entryName)];
            if (names.count++ == 0 || entryName < names.first) names.first = entryName;
        }
        closedir(dir);
    }
    auto found = listing.byUpperName.find(wanted);
    std::string result = found == listing.byUpperName.end() ? std::string() : found->second.first;
    auto own = g_ownChanges.find(folder);
    if (SettledBefore(st, started) || (own != g_ownChanges.end() && Same(own->second, state)))
        g_listings[folder] = std::move(listing);
    else if (it != g_listings.end())
        g_listings.erase(it);
    return result;
}

// The folder and the name of a path as the layer resolved it.
std::pair<std::string, std::string> Split(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {FolderKey(path.substr(0, slash + 1)), path.substr(slash + 1)};
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
    if (result.empty())
        return absolute ? std::string("/") : std::string(".");
    return result;
}


bool SameFolder(const std::string& a, const std::string& b) { return Split(a).first == Split(b).first; }

FolderChange::FolderChange(const std::string& path)
{
    m_folder = Split(path).first;
    struct stat st;
    m_known = stat(m_folder.c_str(), &st) == 0;
    if (m_known) m_before = StateOf(st);
}

void FolderChange::Done(const std::vector<std::pair<std::string, bool>>& names)
{
    struct stat st;
    bool known = m_known && stat(m_folder.c_str(), &st) == 0;
    std::lock_guard<std::mutex> lock(g_listingMutex);
    if (!known) {
        g_listings.erase(m_folder);
        g_ownChanges.erase(m_folder);
        return;
    }
    const FolderState after = StateOf(st);
    g_ownChanges[m_folder] = after;
    auto it = g_listings.find(m_folder);
    if (it == g_listings.end()) return;
    // A listing that was current before the change follows it; any other is stale.
    bool follows = Same(it->second.state, m_before);
    for (const auto& [path, added] : names) {
        if (!follows) break;
        const std::string name = Split(path).second;
        auto& byUpper = it->second.byUpperName;
        const std::wstring upper = UpperName(name);
        auto found = byUpper.find(upper);
        if (added) {
            FolderListing::Names& entry = found == byUpper.end() ? byUpper[upper] : found->second;
            if (entry.count++ == 0 || name < entry.first) entry.first = name;
        } else if (found != byUpper.end() && found->second.count == 1 && found->second.first == name) {
            byUpper.erase(found);
        } else if (found != byUpper.end() && found->second.count > 1 && found->second.first != name) {
            --found->second.count;
        } else {
            follows = false; // the first of several names went: which comes next is not known
        }
    }
    if (follows)
        it->second.state = after;
    else
        g_listings.erase(it);
}

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

bool Resolve(LPCWSTR path, std::string& out, bool& missingParents)
{
    if (!path || !*path) {
        SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return false;
    }
    out = vxp::ResolvePath(path, &missingParents);
    return true;
}

}  // namespace vxp
