// What a run needs to change files so that an interruption at any instant loses
// nothing: flushing a folder's entries, hard links, signals deferred while a commit
// runs, and a folder removed when the process is told to stop. Also a test switch that
// makes the Nth change to the file system fail or kill the process, so that every
// instant of a run can be tried deterministically (see VxpFaultBeforeChange).
#pragma once

#include "vxplat/Types.h"

#include <cstddef>

// Makes the entries of a folder (created, renamed, removed files) durable. True where
// the system has nothing more to do.
bool VxpFlushFolder(const wchar_t* folder);

// Starts writing an open file's data to the disk without waiting for it, so that a
// flush later finds the work done or under way. True where there is nothing to start.
bool VxpStartWriteBack(HANDLE file);

// Flushes several open files (FlushFileBuffers each), at the same time where the system
// gains from it: one wait for the disk instead of one per file. Every file is tried;
// returns the index of the first that failed, with its error set, or count.
size_t VxpFlushFiles(const HANDLE* files, size_t count);

// Files below this folder are scratch that no one reads after the process ends (nullptr:
// none): flushing them returns at once. Where the system's own flush is called (Windows)
// nothing changes.
void VxpSetScratchFolder(const wchar_t* folder);

// A second name for an existing file (a hard link); false where the file system has none
// or the two names are on different volumes (the caller copies then).
bool VxpLinkFile(const wchar_t* existing, const wchar_t* newName);

// Whether a process of this number runs (a zombie, which has ended, does not).
bool VxpProcessAlive(unsigned long pid);

// What tells a file's version apart without reading it: size, modification time, the
// volume and the file's number on it. A missing file gives exists = false (and true);
// false when the file cannot be looked at.
struct VxpFileIdentity {
    bool exists = false;
    unsigned long long size = 0, modified = 0, volume = 0, index = 0;
    bool operator==(const VxpFileIdentity&) const = default;
};
bool VxpIdentifyFile(const wchar_t* path, VxpFileIdentity* identity);

// While deferred, a request to stop (SIGTERM, SIGINT, SIGHUP, Ctrl+C) waits; it takes
// effect when deferral ends. Calls nest.
void VxpDeferTermination(bool defer);

// A folder removed, with everything in it, when the process is stopped by such a request
// (nullptr: none). Its path is kept; the removal uses only what a signal handler may.
void VxpRemoveOnTermination(const wchar_t* folder);

// A thread beside the main one that writes into such a folder: it calls VxpWorkerThread
// first (a request to stop is then never handled on it), and wraps each file it writes
// in VxpBeginWorkerChange / VxpEndWorkerChange. A request to stop waits for the write in
// progress before it removes the folder, and none begins after (Begin returns false).
void VxpWorkerThread();
bool VxpBeginWorkerChange();
void VxpEndWorkerChange();

// The test switch VEXLO_FAULT="N:kill|term|full|once|edit=FILE|stray=NAME" (or "count"): the Nth
// change to the file system (a write, rename, replacement, link, deletion, folder creation,
// and the host's check of a file just before it replaces it) kills the process (SIGKILL),
// asks it to stop (SIGTERM), fails with a full disk from then on (once: that change
// alone, as a disk that has room again once the run gives some back), has FILE saved by
// someone else just before (a line appended, renamed into place), or (stray) has a file
// NAME ("/" separated) written in the scratch folder at the first change from N on where
// its folder exists, as a generator would that writes a file nobody asked for; "count" prints the number of changes at exit. Returns false when the change must fail
// (the error is set). Without the variable it only returns true. The changes are counted
// where the platform layer stands in for the system's file functions (POSIX); on Windows
// those are the system's own and the switch is not read.
bool VxpFaultBeforeChange();
