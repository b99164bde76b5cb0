#include "Journal.h"

#include "Console.h"
#include "FailureNotes.h"
#include "JournalFile.h"
#include "RunFiles.h"
#include "RunLock.h"
#include "zones/ZoneScan.h"

#include "vxplat/CodePage.h"
#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <filesystem>
#include <set>
#include <tuple>

namespace VexloCli {

using namespace journal;

namespace {

void RemoveStaleTemporaries(const RunPlan& plan)
{
    // "<name>.<process>.vxnew" and the add-in's "<name>.<process>-<count>.vxnew" of
    // processes that no longer run: a run killed while it wrote one.
    std::set<std::wstring> folders;
    for (const PlannedFile& file : plan.files)
        folders.insert(ParentFolder(file.path));
    for (const std::wstring& folder : folders) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(PathOf(Slashed(folder)), error), end; !error && it != end;
             it.increment(error)) {
            std::wstring name = WideOf(it->path().filename());
            if (name.size() < 7 || name.compare(name.size() - 6, 6, L".vxnew") != 0)
                continue;
            std::wstring stem = name.substr(0, name.size() - 6);
            size_t dot = stem.rfind(L'.');
            if (dot == std::wstring::npos)
                continue;
            unsigned long pid = std::wcstoul(stem.c_str() + dot + 1, nullptr, 10);
            // This process writes none before its commit: one of its number is of an
            // earlier process (wine hands out the same few numbers again and again).
            if (pid && (pid == GetCurrentProcessId() || !VxpProcessAlive(pid)))
                DeleteFileW((folder + L"\\" + name).c_str());
        }
    }
}

// Puts back each file the interrupted run left damaged, and saves each zone of an old
// file whose text is in no current file of that run (nor its recovery file).
void RecoverFiles(const Manifest& manifest, const std::wstring& journal)
{
    // What the run's files hold now, and what their recovery files already kept.
    std::set<std::tuple<std::string, std::string, std::string>> present;
    auto index = [&present](const std::string& text) {
        for (const ScannedZone& z : ScanZoneText(text).zones)
            present.emplace(std::string(z.id), std::string(z.tag), ComparableText(std::string_view(text).substr(z.textStart, z.textEnd - z.textStart)));
    };
    for (const Entry& e : manifest.entries) {
        if (std::optional<std::string> text = ReadWhole(e.path))
            index(*text);
        if (std::optional<std::string> text = ReadWhole(e.path + L".vxlost"))
            index(*text);
    }
    for (const Entry& e : manifest.entries) {
        if (!e.replace)
            continue;
        std::optional<std::string> old = ReadWhole(journal + L"\\" + e.name);
        if (!old)
            continue;
        std::optional<std::string> now = ReadWhole(e.path);
        bool torn = !now || (now->empty() && !old->empty()) || ScanZoneText(*now).unreadable ||
                    now->find('\0') != std::string::npos;
        if (torn) {
            if (!Restore(journal, e))
                throw CliError(ExitUserText, Slashed(e.path) + L": the file is damaged and its old text in " +
                                                 Slashed(journal) + L"\\" + e.name + L" cannot be put back: " +
                                                 LastErrorText() + L"; nothing was written. Copy it back by hand "
                                                 L"(see docs/CLI.md) and run again.");
            Warn(Slashed(e.path) + L": the interrupted run left this file damaged; its old text is back");
            continue;
        }
        for (const ScannedZone& z : ScanZoneText(*old).zones) {
            std::string comparable = ComparableText(std::string_view(*old).substr(z.textStart, z.textEnd - z.textStart));
            if (comparable.empty() || present.count({std::string(z.id), std::string(z.tag), comparable}))
                continue;
            std::wstring recovery = e.path + L".vxlost";
            if (IsSymbolicLink(recovery))
                throw CliError(ExitUserText, Slashed(recovery) + L": the recovery file is a symbolic link, which "
                                                                 L"vexlo never writes through; nothing was "
                                                                 L"written. Remove the link and run again.");
            std::wstring reason = L"the zone " + Ansi(z.scope) + L" (" + Ansi(z.id) + L"." + Ansi(z.tag) +
                                  L") of line " + std::to_wstring(LineOf(*old, z.start)) +
                                  L", kept in the journal of an interrupted run, is in no file";
            std::string chunk = AnsiBytes(L"// vexlo, " + Slashed(e.path) + L": " + reason + L"\r\n") +
                                MarkerForm(z, *old) + "\r\n";
            if (!AppendDurably(recovery, chunk))
                throw CliError(ExitUserText, Slashed(recovery) + L": the recovery file cannot be written (" +
                                                 LastErrorText() + L"), and " + reason + L"; nothing was written. "
                                                 L"The journal stays in " + Slashed(journal) + L".");
            present.emplace(std::string(z.id), std::string(z.tag), comparable);
            Warn(Slashed(e.path) + L":" + std::to_wstring(LineOf(*old, z.start)) + L": " + reason +
                 L"; its text was saved to " + Slashed(recovery));
        }
    }
}

} // namespace

void RecoverInterruptedRuns(const RunPlan& plan, bool dryRun)
{
    if (!dryRun)
        RemoveStaleTemporaries(plan);
    for (const std::wstring& top : plan.tops) {
        std::wstring journal = JournalOf(top);
        if (GetFileAttributesW(journal.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (!dryRun)
                RemoveDirectoryW(StateFolderOf(top).c_str()); // left empty by a run killed as it finished
            continue;
        }
        std::optional<Manifest> manifest = ReadManifest(journal);
        if (dryRun) {
            OutLine(L"vexlo: " + Slashed(journal) + L" holds the journal of an interrupted run; a run without "
                                                      L"--dry-run, --check or --diff recovers it first");
            continue;
        }
        if (!manifest || !manifest->complete) {
            // Cut off before its first file was replaced: it changed nothing.
            OutLine(L"vexlo: removing the unfinished journal of an interrupted run in " + Slashed(journal) +
                    L" (it had changed no file)");
            RemoveJournal(journal);
            continue;
        }
        ResolveEntries(*manifest, top, journal);
        OutLine(L"vexlo: found the journal of an interrupted run (process " + manifest->process + L", model " +
                manifest->model + L", started " + manifest->started + L") in " + Slashed(journal) +
                L"; recovering it");
        if (!manifest->folder.empty() && manifest->folder != FolderIdentity(top))
            OutLine(L"vexlo: the journal was written in " + manifest->folder.substr(0, manifest->folder.find(L'\t')) +
                    L" (that folder was moved or copied since); it is recovered here, in " + Slashed(top));
        RecoverFiles(*manifest, journal);
        RemoveJournal(journal);
    }
}

} // namespace VexloCli
