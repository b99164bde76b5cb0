// The journal of a run in "<top>/.vexlo/journal": a manifest naming each file the
// commit creates or replaces, and a second name (or a copy) of each old file, so that
// an interrupted commit can be undone or recovered by the next run.
#pragma once

#include "Journal.h"

#include <optional>
#include <string>
#include <vector>

namespace VexloCli::journal {

struct Entry {
    bool replace = false;
    bool linked = false;     // the old file's own second name, not a copy
    std::wstring name;       // in the journal folder
    std::wstring path;       // real
};

struct Manifest {
    std::wstring process, model, started, folder;
    std::vector<Entry> entries;
    bool complete = false;
};

// The journal of one top folder as the commit wrote it.
struct JournalFolder {
    std::wstring folder; // empty: the top needs none (the run only creates files there)
    std::vector<Entry> entries;
};

// The system's reason and what a look at the place adds.
std::wstring Reasons(const std::wstring& error, const std::wstring& why);
std::wstring JournalOf(const std::wstring& top);
// The folder's path and its number on its volume, for the log of a later recovery.
std::wstring FolderIdentity(const std::wstring& top);

// The manifest of a journal folder; nullopt when there is none. Throws CliError when the
// journal is reached through a symbolic link.
std::optional<Manifest> ReadManifest(const std::wstring& journal);
// Makes the entries real paths in this top folder; throws CliError for one that leaves it.
void ResolveEntries(Manifest& m, const std::wstring& top, const std::wstring& journal);
// Puts an old file back from the journal.
bool Restore(const std::wstring& journal, const Entry& e);
void RemoveJournal(const std::wstring& journal);

// Writes the journal of one top folder (flushed) before any of its files is replaced.
bool WriteJournal(const std::wstring& top, const std::vector<const FileChange*>& files, const std::wstring& modelFile,
                  JournalFolder& j);
void DropJournals(const std::vector<JournalFolder>& journals);

} // namespace VexloCli::journal
