// Reading and writing the files of a run through the platform (which finds a path the
// way the add-in does), with the writes made durable: a file is written beside its place
// under a temporary name, flushed, and renamed into place, and the folder is flushed.
#pragma once

#include "RunPaths.h"

#include "vxplat/Types.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VexloCli {

std::optional<std::string> ReadWhole(const std::wstring& path);

// Creates the folder and the missing ones above it.
bool CreateFolders(const std::wstring& folder);

// The whole text as the file's new content: written to "<path>.<process>.vxnew",
// flushed, and put in place (keeping an old file's permissions; a symbolic link stays a
// link). False with the system's error set; nothing of the old file is lost then.
bool ReplaceDurably(const std::wstring& path, const std::string& text);

// ReplaceDurably for a text made in pieces, so that it is never whole in memory: `next`
// appends the next piece to the (emptied) string it is given and returns false with the last.
bool ReplaceDurably(const std::wstring& path, const std::function<bool(std::string& piece)>& next);

// ReplaceDurably in steps, for files put in place together: StageFile writes the new
// text to the temporary file and starts its write-back, keeping it open (the old file
// is untouched); FlushStaged waits until a batch of them is on the disk and closes them;
// PlaceStaged renames one into place; the caller flushes each folder once afterwards.
// StageFile and PlaceStaged return false with the system's error set and no temporary
// file left behind; FlushStaged returns the first that failed, with its error set, or
// nullptr, and leaves the temporary files to the caller.
struct StagedFile {
    std::wstring temporary; // empty: none (not staged, or in place already)
    HANDLE handle = nullptr; // open from StageFile until FlushStaged or DiscardStaged
};
// `writeBack` false: no early write-back, for a text that is not flushed (CloseStaged), so
// that the flushes that follow do not wait for it.
bool StageFile(const std::wstring& path, const std::string& text, StagedFile& staged, bool writeBack = true);
StagedFile* FlushStaged(const std::vector<StagedFile*>& batch);
void DiscardStaged(StagedFile& staged); // closes and deletes what is left of it
bool CloseStaged(StagedFile& staged);   // closes it unflushed, for texts checked when read
bool PlaceStaged(const std::wstring& path, StagedFile& staged);

// Appends and flushes (creating the file).
bool AppendDurably(const std::wstring& path, const std::string& text);

// Creates or truncates and writes, without flushing (for files of our own scratch folder).
bool WriteScratch(const std::wstring& path, const std::string& text);

// The system's last error in words ("no space is left on the device").
std::wstring LastErrorText();
std::wstring ErrorText(DWORD error); // the same for a given code


} // namespace VexloCli
