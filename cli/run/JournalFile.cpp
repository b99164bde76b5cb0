#include "JournalFile.h"

#include "Console.h"
#include "FailureNotes.h"
#include "RunFiles.h"
#include "RunLock.h"

#include "vxplat/CodePage.h"
#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <sstream>

namespace VexloCli::journal {

namespace {

const char kMagic[] = "vexlo journal 1";

std::string UtcNow()
{
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", std::gmtime(&now));
    return text;
}

std::string Utf8(const std::wstring& text) { return Narrow(text); }

// A copy of the old file as it is now (the run holds only its print): should it have
// changed since the run read it, the check before it is replaced refuses the run, and
// the journal keeps what is on disk. What the run read as nothing (an empty file, or a
// folder in the way, which placing the new file then explains) is copied as that.
bool CopyDurably(const std::wstring& from, const std::wstring& to, const TextPrint& read)
{
    if (read.size == 0)
        return ReplaceDurably(to, std::string());
    std::optional<std::string> text = ReadWhole(from);
    return text && ReplaceDurably(to, *text);
}

} // namespace

// The system's reason and what a look at the place adds; a look that already gives the
// reason, more precisely ("... no space is left on the device of ..."), replaces it.
std::wstring Reasons(const std::wstring& error, const std::wstring& why)
{
    if (why.empty())
        return error;
    if (why.find(error) != std::wstring::npos)
        return why;
    return error + L"; " + why;
}

std::wstring JournalOf(const std::wstring& top) { return StateFolderOf(top) + L"\\journal"; }


std::optional<Manifest> ReadManifest(const std::wstring& journal)
{
    if (IsSymbolicLink(journal) || IsSymbolicLink(journal + L"\\manifest"))
        throw CliError(ExitUserText, Slashed(journal) + L": the journal (or its manifest) is a symbolic link, which "
                                                        L"vexlo never follows; nothing was written. Remove it and "
                                                        L"run again.");
    std::optional<std::string> text = ReadWhole(journal + L"\\manifest");
    if (!text)
        return std::nullopt;
    Manifest m;
    std::istringstream lines(*text);
    std::string line;
    if (!std::getline(lines, line) || line != kMagic)
        return m;
    while (std::getline(lines, line)) {
        size_t blank = line.find(' ');
        std::string word = line.substr(0, blank), rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        std::wstring value; // written as UTF-8
        int length = MultiByteToWideChar(CP_UTF8, 0, rest.data(), static_cast<int>(rest.size()), nullptr, 0);
        value.assign(static_cast<size_t>(std::max(length, 0)), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_UTF8, 0, rest.data(), static_cast<int>(rest.size()), value.data(), length);
        if (word == "process")
            m.process = value;
        else if (word == "model")
            m.model = value;
        else if (word == "started")
            m.started = value;
        else if (word == "folder")
            m.folder = value;
        else if (word == "complete")
            m.complete = true;
        else if (word == "link" || word == "copy" || word == "create") {
            Entry e;
            e.replace = word != "create";
            e.linked = word == "link";
            size_t tab = value.find(L'\t');
            e.name = e.replace ? value.substr(0, tab) : std::wstring();
            e.path = e.replace ? (tab == std::wstring::npos ? std::wstring() : value.substr(tab + 1)) : value;
            m.entries.push_back(e);
        }
    }
    return m;
}

void RemoveJournal(const std::wstring& journal)
{
    // The manifest first: a journal without one changed nothing and is simply removed.
    DeleteFileW((journal + L"\\manifest").c_str());
    VxpFlushFolder(journal.c_str());
    // Through the platform, so that the test switch counts each removal.
    std::vector<std::wstring> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(PathOf(Slashed(journal)), error), end; !error && it != end;
         it.increment(error))
        names.push_back(WideOf(it->path()));
    for (const std::wstring& name : names)
        DeleteFileW(name.c_str());
    RemoveDirectoryW(journal.c_str());
    VxpFlushFolder(ParentFolder(journal).c_str());
}

// The folder's path and its number on its volume, for the log of a later recovery.
std::wstring FolderIdentity(const std::wstring& top)
{
    VxpFileIdentity id;
    VxpIdentifyFile(top.c_str(), &id);
    return Slashed(top) + L"\t" + std::to_wstring(id.volume) + L":" + std::to_wstring(id.index);
}

// The journal's entries made real paths in this top folder. An entry that would leave
// the folder (an absolute path elsewhere, "..", a link on the way that points out) is
// refused: a journal is never trusted to write outside the folder it lies in.
void ResolveEntries(Manifest& m, const std::wstring& top, const std::wstring& journal)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path realTop = fs::weakly_canonical(PathOf(Slashed(top)), error);
    for (Entry& e : m.entries) {
        std::wstring relative = Slashed(e.path);
        if (std::optional<std::wstring> below = Below(top, relative))
            relative = *below; // an absolute path of a journal from before, in this folder
        fs::path rel = PathOf(relative);
        bool climbs = relative.empty() || rel.is_absolute() || relative[0] == L'/' ||
                      relative.find(L':') != std::wstring::npos;
        for (const fs::path& part : rel)
            climbs = climbs || part == "..";
        climbs = climbs || (e.replace && (e.name.empty() || e.name.find_first_of(L"/\\:") != std::wstring::npos ||
                                          e.name.find(L"..") != std::wstring::npos));
        std::wstring path = Slashed(top) + L"/" + relative;
        fs::path real = fs::weakly_canonical(PathOf(path), error);
        if (!climbs && !error) {
            auto mismatch = std::mismatch(realTop.begin(), realTop.end(), real.begin(), real.end());
            climbs = mismatch.first != realTop.end();
        }
        if (climbs)
            throw CliError(ExitUserText, Slashed(journal) + L"/manifest: names " + Quoted(Slashed(e.path)) +
                                             L", which lies outside the output folder " + Slashed(top) +
                                             L" (or is reached through a link that leads out of it); a journal is "
                                             L"never followed out of its folder, so nothing was written. Look at the "
                                             L"journal, remove it (see docs/CLI.md), and run again.");
        e.path = path;
    }
}

// Puts an old file back from the journal.
bool Restore(const std::wstring& journal, const Entry& e)
{
    std::wstring saved = journal + L"\\" + e.name;
    if (e.linked)
        return MoveFileExW(saved.c_str(), e.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    std::optional<std::string> text = ReadWhole(saved);
    return text && ReplaceDurably(e.path, *text);
}

void DropJournals(const std::vector<JournalFolder>& journals)
{
    for (const JournalFolder& j : journals)
        if (!j.folder.empty())
            RemoveJournal(j.folder);
}

// The journal of one top folder: a second name (or a copy) of each old file the run
// replaces, and the manifest naming them, flushed before anything is replaced.
bool WriteJournal(const std::wstring& top, const std::vector<const FileChange*>& files, const std::wstring& modelFile,
                  JournalFolder& j)
{
    // Only replacing needs a journal: a file the run creates takes no old text with it.
    bool replaces = std::any_of(files.begin(), files.end(), [](const FileChange* c) { return c->old.has_value(); });
    j.folder = replaces ? JournalOf(top) : std::wstring();
    std::string manifest = std::string(kMagic) + "\nprocess " + std::to_string(GetCurrentProcessId()) + "\nmodel " +
                           Utf8(modelFile) + "\nstarted " + UtcNow() + "\nfolder " + Utf8(FolderIdentity(top)) + "\n";
    bool ok = !replaces || (!IsSymbolicLink(StateFolderOf(top)) && CreateFolders(j.folder));
    int n = 0;
    for (const FileChange* change : files) {
        Entry e;
        e.path = change->path;
        e.replace = change->old.has_value();
        if (e.replace && ok) {
            e.name = L"old-" + std::to_wstring(++n);
            std::wstring saved = j.folder + L"\\" + e.name;
            // A second name keeps the old file without a byte written, and puts it
            // back with a rename even on a full disk; a link or another volume is copied.
            e.linked = !IsSymbolicLink(change->path) && VxpLinkFile(change->path.c_str(), saved.c_str());
            ok = e.linked || CopyDurably(change->path, saved, *change->old);
        }
        // Relative to the top folder: a moved project is recovered where it is, and a
        // copied one never writes into the original.
        manifest += (e.replace ? (e.linked ? "link " : "copy ") + Utf8(e.name) + "\t" : std::string("create ")) +
                    Utf8(Slashed(Below(top, e.path).value_or(e.path))) + "\n";
        j.entries.push_back(e);
    }
    return ok && (!replaces || ReplaceDurably(j.folder + L"\\manifest", manifest + "complete\n"));
}

} // namespace VexloCli::journal
