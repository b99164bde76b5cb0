#include "vxplat/Durability.h"

#include "WorkerChanges.h"
#include "vxplat/Kernel.h"

#include "PosixFiles.h"
#include "PosixText.h"

#include <sys/syscall.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vxp {
std::string ResolvePath(const wchar_t* path, bool* missingParents);
}

bool VxpFlushFolder(const wchar_t* folder)
{
    int fd = open(vxp::ResolvePath(folder, nullptr).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0 || errno == EINVAL; // some file systems cannot sync a folder
    close(fd);
    return ok;
}

bool VxpLinkFile(const wchar_t* existing, const wchar_t* newName)
{
    if (!VxpFaultBeforeChange())
        return false;
    std::string from = vxp::ResolvePath(existing, nullptr), to = vxp::ResolvePath(newName, nullptr);
    return link(from.c_str(), to.c_str()) == 0;
}

bool VxpProcessAlive(unsigned long pid)
{
    if (pid == 0 || (kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM))
        return false;
    // A zombie has ended; only its exit status waits for its parent.
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%lu/stat", pid);
    if (FILE* stat = std::fopen(path, "r")) {
        char line[512] = {};
        size_t got = std::fread(line, 1, sizeof line - 1, stat);
        std::fclose(stat);
        const char* close = got ? std::strrchr(line, ')') : nullptr;
        if (close && close[1] == ' ' && (close[2] == 'Z' || close[2] == 'X'))
            return false;
    }
    return true;
}

bool VxpIdentifyFile(const wchar_t* path, VxpFileIdentity* identity)
{
    *identity = VxpFileIdentity();
    struct stat st {};
    if (stat(vxp::ResolvePath(path, nullptr).c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    identity->exists = true;
    identity->size = static_cast<unsigned long long>(st.st_size);
    identity->modified = static_cast<unsigned long long>(st.st_mtim.tv_sec) * 1000000000ull +
                         static_cast<unsigned long long>(st.st_mtim.tv_nsec);
    identity->volume = static_cast<unsigned long long>(st.st_dev);
    identity->index = static_cast<unsigned long long>(st.st_ino);
    return true;
}

namespace {

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

char g_removeOnStop[4096];
std::atomic<int> g_deferDepth{0};

// Removes a tree with system calls only: a handler may not allocate or take locks.
struct FolderEntry {
    uint64_t inode;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

void RemoveTree(int parent, const char* name, int depth)
{
    int fd = depth > 32 ? -1 : openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        alignas(8) char buffer[2048];
        long n;
        while ((n = syscall(SYS_getdents64, fd, buffer, sizeof buffer)) > 0) {
            for (long at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const FolderEntry*>(buffer + at);
                at += entry->length;
                if (std::strcmp(entry->name, ".") == 0 || std::strcmp(entry->name, "..") == 0)
                    continue;
                if (unlinkat(fd, entry->name, 0) != 0 && errno == EISDIR)
                    RemoveTree(fd, entry->name, depth + 1);
            }
        }
        close(fd);
    }
    unlinkat(parent, name, AT_REMOVEDIR);
}

void OnStop(int signal)
{
    vxp::StopWorkerChanges();
    if (g_removeOnStop[0])
        RemoveTree(AT_FDCWD, g_removeOnStop, 0);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

void InstallHandlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (int s : kSignals) {
        struct sigaction old {};
        sigaction(s, nullptr, &old);
        if (old.sa_handler == SIG_IGN)
            continue; // a stop the user's shell keeps from us stays ignored
        struct sigaction action {};
        action.sa_handler = OnStop;
        sigemptyset(&action.sa_mask);
        sigaction(s, &action, nullptr);
    }
}

void BlockStops(int how)
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : kSignals)
        sigaddset(&set, s);
    pthread_sigmask(how, &set, nullptr);
}

struct Fault {
    long at = 0;        // 0: no fault
    char kind = 0;      // 'k' kill, 't' term, 'f' full, 'o' once, 'c' count, 'e' edit, 's' stray
    std::string edited; // 'e': the file a user edits at that instant; 's': the stray's name
    bool planted = false;
    std::atomic<long> changes{0};
};

void PrintCount();

Fault& TheFault()
{
    static Fault* fault = [] {
        auto* f = new Fault;
        if (const char* spec = std::getenv("VEXLO_FAULT")) {
            if (std::strcmp(spec, "count") == 0) {
                f->kind = 'c';
                std::atexit(PrintCount);
            } else {
                char* rest = nullptr;
                f->at = std::strtol(spec, &rest, 10);
                f->kind = rest && *rest == ':' ? rest[1] : 0;
                if ((f->kind == 'e' || f->kind == 's') && std::strchr(rest, '='))
                    f->edited = std::strchr(rest, '=') + 1;
            }
        }
        return f;
    }();
    return *fault;
}

void PrintCount() { std::fprintf(stderr, "vexlo: %ld changes to the file system\n", TheFault().changes.load()); }

} // namespace

void VxpDeferTermination(bool defer)
{
    if (defer) {
        if (g_deferDepth++ == 0)
            BlockStops(SIG_BLOCK);
    } else if (--g_deferDepth == 0) {
        BlockStops(SIG_UNBLOCK);
    }
}

void VxpWorkerThread() { BlockStops(SIG_BLOCK); }

void VxpRemoveOnTermination(const wchar_t* folder)
{
    InstallHandlers();
    BlockStops(SIG_BLOCK); // the handler must never see half a path
    std::string path = folder ? vxp::ResolvePath(folder, nullptr) : std::string();
    if (path.size() >= sizeof g_removeOnStop)
        path.clear();
    std::memcpy(g_removeOnStop, path.c_str(), path.size() + 1);
    if (g_deferDepth == 0)
        BlockStops(SIG_UNBLOCK);
}

bool VxpFaultBeforeChange()
{
    Fault& fault = TheFault();
    if (!fault.kind)
        return true;
    long n = ++fault.changes;
    if (fault.kind == 'c' || n < fault.at)
        return true;
    switch (fault.kind) {
    case 'k':
        raise(SIGKILL);
        break;
    case 't':
        if (n == fault.at)
            kill(getpid(), SIGTERM); // delivered now, or when a deferral ends
        return true;
    case 'e':
        if (n == fault.at) {
            // As an editor saving the file: a new file renamed over the old one.
            std::string temporary = fault.edited + ".edit~";
            std::string text;
            if (FILE* in = std::fopen(fault.edited.c_str(), "rb")) {
                char buffer[65536];
                for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
                    text.append(buffer, got);
                std::fclose(in);
            }
            text += "// edited while the run ran\r\n";
            if (FILE* out = std::fopen(temporary.c_str(), "wb")) {
                std::fwrite(text.data(), 1, text.size(), out);
                std::fclose(out);
                std::rename(temporary.c_str(), fault.edited.c_str());
            }
        }
        return true;
    case 's':
        // As an add-in writing a file of its own choosing beside the ones asked of it.
        if (!fault.planted && !vxp::ScratchFolder().empty())
            if (FILE* out = std::fopen((vxp::ScratchFolder() + fault.edited).c_str(), "wb")) {
                std::fputs("unit Stray;\r\n", out);
                std::fclose(out);
                fault.planted = true;
            }
        return true;
    case 'o':
        if (n != fault.at)
            return true;
        [[fallthrough]];
    case 'f':
        SetLastError(ERROR_DISK_FULL);
        errno = ENOSPC;
        return false;
    }
    return true;
}
