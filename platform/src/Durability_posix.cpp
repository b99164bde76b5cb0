#include "vxplat/Durability.h"
#include "vxplat/Kernel.h"

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
    return pid != 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
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
    char kind = 0;      // 'k' kill, 't' term, 'f' full, 'c' count
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
    case 'f':
        SetLastError(ERROR_DISK_FULL);
        errno = ENOSPC;
        return false;
    }
    return true;
}
