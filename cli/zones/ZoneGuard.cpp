#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/RunFiles.h"
#include "zones/ZoneText.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>

namespace VexloCli {

namespace {

// The lines of the user's file that a stretch of the guard's text stands on.
template <class File> std::wstring Lines(const File& file, size_t from, size_t to)
{
    int first = file.UserLineAt(from);
    int last = file.UserLineAt(to > from ? to - 1 : from);
    return first == last ? L"line " + std::to_wstring(first)
                         : L"lines " + std::to_wstring(first) + L"-" + std::to_wstring(last);
}

std::wstring UtcNow()
{
    std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", std::gmtime(&now));
    return Ansi(text);
}

} // namespace

ZoneGuard::ZoneGuard(bool strict) : m_strict(strict) {}

bool ZoneGuard::CarryDroppedZones(const NewPath& newPath)
{
    // Only an old file's zone can be carried: without one (a first run into an empty
    // folder) the new files need not be read at all.
    if (std::none_of(m_files.begin(), m_files.end(), [](const File& f) { return f.zoneCount != 0; }))
        return false;
    const std::vector<bool> kept = Kept(newPath);
    if (AllKept(kept, false))
        return false;
    FileKeys newKeys;
    KeySet present = PresentIn(newPath, &newKeys);
    std::map<const File*, std::string> carried;
    for (size_t f = 0; f < m_files.size(); ++f) {
        const File& source = m_files[f];
        if (kept[f])
            continue;
        for (const ScannedZone& zone : source.Zones()) {
            std::string comparable = ZoneText(source.Text(), zone);
            if (comparable.empty() || present.count(KeyOf(zone.id, zone.tag, comparable)))
                continue;
            std::pair<std::string, std::string> key{zone.id, zone.tag};
            for (const File& target : m_files) {
                if (!target.inRun || !newKeys.count(FileKey(&target, zone.id, zone.tag)) ||
                    std::any_of(target.Zones().begin(), target.Zones().end(),
                                [&](const ScannedZone& z) { return z.id == zone.id && z.tag == zone.tag; }) ||
                    !m_carried[target.path].insert(key).second)
                    continue;
                // The first zone of a key is the one the add-in takes: in front.
                carried[&target] += MarkerForm(zone, source.Text());
                const bool recovered = !source.sourceLines.empty();
                int line = recovered ? source.sourceLines[static_cast<size_t>(&zone - source.Zones().data())]
                                     : source.UserLineAt(zone.start);
                (m_notesToError ? ErrLine : OutLine)((m_preview ? L"would carry: " : L"vexlo: carrying ") + ZoneName(zone) + L" from " +
                        At(source.path, line) + (recovered ? L" (saved there by an earlier run)" : L"") + L" into " +
                        target.path);
                m_carriedNotes.push_back({Ansi(zone.scope) + L" (" + Ansi(zone.id) + L"." + Ansi(zone.tag) + L")",
                                          source.path, target.path, line, std::string(zone.id), std::string(zone.tag),
                                          recovered});
                present.insert(KeyOf(zone.id, zone.tag, comparable));
                break;
            }
        }
    }
    for (const File& file : m_files)
        file.LetGo();
    // Without a second pass the new files stay as they are: their keys serve Account.
    if (carried.empty())
        m_present = std::move(present);
    for (const auto& [target, zones] : carried) {
        std::wstring path = newPath(target->path);
        const std::optional<std::string> text = ReadWhole(path);
        if (!text || !WriteScratch(path, zones + *text))
            throw CliError(ExitHostError, target->path + L": the zones carried into this file could not be written to "
                                                         L"the run's scratch copy: " + LastErrorText() +
                                                         L"; nothing was written.");
    }
    return !carried.empty();
}

void ZoneGuard::Account(const NewPath& newPath)
{
    const std::vector<bool> unchanged = Unchanged(newPath);
    ReportFollowed(newPath, unchanged);
    // Only a zone of a file the run writes can be lost, or a line the last run did not write.
    if (std::none_of(m_files.begin(), m_files.end(), [](const File& f) { return f.inRun && (f.zoneCount || f.base); }))
        return;
    const std::vector<bool> kept = Kept(newPath);
    if (AllKept(kept, true)) {
        m_present.reset();
        SaveStrayLines(newPath, unchanged);
        return;
    }
    // The keys taken after the last pass, unless a new file changed since.
    KeySet present;
    if (m_present && Fingerprint(newPath) == m_prints)
        present = std::move(*m_present);
    else
        present = PresentIn(newPath, nullptr);
    m_present.reset();
    for (size_t f = 0; f < m_files.size(); ++f) {
        const File& file = m_files[f];
        if (!file.inRun || kept[f])
            continue;
        for (const ScannedZone& zone : file.Zones()) {
            std::string comparable = ZoneText(file.Text(), zone);
            if (comparable.empty() || !present.insert(KeyOf(zone.id, zone.tag, comparable)).second)
                continue;
            Save(file, MarkerForm(zone, file.Text()), file.UserLineAt(zone.start),
                 ZoneName(zone) + L" of " + Lines(file, zone.start, zone.end) + L" is in no generated file", zone.id,
                 zone.tag);
        }
        file.LetGo();
    }
    SaveStrayLines(newPath, unchanged);
}

void ZoneGuard::Save(const File& file, std::string chunk, int line, const std::wstring& reason, std::string_view id,
                     std::string_view tag)
{
    if (!chunk.empty() && chunk.back() != '\n')
        chunk += "\r\n";
    m_recovery.push_back({file.path, file.path + L".vxlost", line, std::move(chunk), reason, std::string(id),
                          std::string(tag)});
}

void ZoneGuard::WriteRecovery() const
{
    for (const RecoveryEntry& entry : m_recovery) {
        if (IsSymbolicLink(entry.recovery))
            throw CliError(ExitUserText, entry.recovery + L": the recovery file is a symbolic link, which vexlo never "
                                                          L"writes through, and " + At(entry.file, entry.line) +
                                             L" holds " + entry.reason + L"; nothing was written. Remove the link "
                                                                         L"and run again.");
        std::string header = AnsiBytes(L"// vexlo, " + UtcNow() + L", " + entry.file + L": " + entry.reason + L"\r\n");
        if (!AppendDurably(entry.recovery, header + entry.chunk + "\r\n"))
            throw CliError(ExitUserText, entry.recovery + L": the recovery file cannot be written (" + LastErrorText() +
                                             L"), so the text it was to keep from " + At(entry.file, entry.line) +
                                             L" has nowhere to go (" + entry.reason + L"); nothing was written. Make "
                                             L"the folder writable or free space, and run again.");
        Warn(At(entry.file, entry.line) + L": " + entry.reason + L"; its text was saved to " + entry.recovery);
    }
}

int ZoneGuard::ExitCode() const { return m_strict && !m_recovery.empty() ? ExitUserText : ExitOk; }

} // namespace VexloCli
