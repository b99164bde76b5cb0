// The zone guard's use of the base store: zones that still hold the generated text,
// zones saved to recovery files by earlier runs, and which zones of a new file the
// generator wrote itself.
#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/DurableFiles.h"
#include "run/TextDiff.h"
#include "zones/ZoneText.h"

#include "vxplat/Files.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <unordered_set>

namespace VexloCli {

void ZoneGuard::ReleaseGeneratedZones(File& file)
{
    std::map<std::pair<std::string, std::string>, std::string> generated;
    for (const ScannedZone& zone : ScanZoneText(*file.base).zones)
        generated.try_emplace({std::string(zone.id), std::string(zone.tag)}, ZoneText(*file.base, zone));
    const std::string& text = file.Text();
    std::string kept;
    size_t at = 0, counted = 0;
    int line = 1; // of position `counted`, counted on from zone to zone
    for (const ScannedZone& zone : file.Zones()) {
        std::pair<std::string, std::string> key{zone.id, zone.tag};
        auto it = generated.find(key);
        std::string comparable = ZoneText(text, zone);
        if (!file.defaults.count(key) || it == generated.end() || it->second != comparable)
            continue;
        line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                            text.begin() + static_cast<std::ptrdiff_t>(zone.start), '\n'));
        counted = zone.start;
        file.released.push_back({std::string(zone.scope), std::string(zone.id), std::string(zone.tag), comparable,
                                 line});
        kept.append(text, at, zone.start - at);
        const int gone = static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(zone.start),
                                                     text.begin() + static_cast<std::ptrdiff_t>(zone.end), '\n'));
        const int removed = file.cuts.empty() ? 0 : file.cuts.back().lines;
        const bool lineStart = kept.empty() || kept.back() == '\n';
        file.cuts.push_back({kept.size(), line - removed + (lineStart ? 0 : 1), removed + gone});
        at = zone.end;
    }
    if (file.released.empty())
        return;
    kept.append(text, at, std::string::npos);
    file.mended = std::move(kept);
    file.zones.reset();
    file.zoneCount = file.Zones().size();
}

int ZoneGuard::File::UserLineAt(size_t at) const
{
    int line = LineOf(Text(), at);
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it)
        if (it->at <= at)
            return line + it->lines;
    return line;
}

int ZoneGuard::File::UserLine(int line) const
{
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it)
        if (it->firstLine <= line)
            return line + it->lines;
    return line;
}

// The zones of the recovery files that earlier runs recorded, the last one of each key:
// offered like a zone of an old file beside the run's files.
void ZoneGuard::ReadSavedZones(std::unordered_set<std::wstring>& seen)
{
    std::map<std::wstring, std::set<std::pair<std::string, std::string>>> byFile;
    for (const SavedZoneRef& ref : m_saved)
        byFile[ref.recovery].insert({ref.id, ref.tag});
    for (const auto& [recovery, keys] : byFile) {
        if (IsSymbolicLink(recovery) || !seen.insert(Lower(WideOf(PathOf(Slashed(recovery)).lexically_normal()))).second)
            continue;
        std::optional<std::string> text = ReadWhole(recovery);
        if (!text)
            continue;
        std::map<std::pair<std::string, std::string>, const ScannedZone*> last;
        ZoneScanResult scan = ScanZoneText(*text);
        for (const ScannedZone& zone : scan.zones)
            if (keys.count({std::string(zone.id), std::string(zone.tag)}))
                last[{std::string(zone.id), std::string(zone.tag)}] = &zone;
        File file;
        file.path = Slashed(recovery);
        for (const auto& [key, zone] : last) {
            file.original += MarkerForm(*zone, *text);
            file.sourceLines.push_back(LineOf(*text, zone->start));
        }
        file.zoneCount = last.size();
        if (file.zoneCount)
            m_files.push_back(std::move(file));
    }
}

ZoneKeys ZoneGuard::DefaultZones(const std::wstring& path, std::string_view newText) const
{
    ZoneKeys defaults;
    for (const ScannedZone& zone : ScanZoneText(newText).zones)
        defaults.insert({std::string(zone.id), std::string(zone.tag)});
    if (const File* file = Find(path)) {
        if (GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES)
            for (const ScannedZone& zone : file->Zones())
                defaults.erase({std::string(zone.id), std::string(zone.tag)});
        if (auto carried = m_carried.find(file->path); carried != m_carried.end())
            for (const auto& key : carried->second)
                defaults.erase(key);
    }
    return defaults;
}

// Zones that held the generated text and now hold the model's new one, said in the log.
void ZoneGuard::ReportFollowed(const NewPath& newPath) const
{
    for (const File& file : m_files) {
        if (file.released.empty())
            continue;
        std::optional<std::string> text = ReadWhole(newPath(file.path));
        std::map<std::pair<std::string, std::string>, std::string> now;
        if (text)
            for (const ScannedZone& zone : ScanZoneText(*text).zones)
                now.try_emplace({std::string(zone.id), std::string(zone.tag)}, ZoneText(*text, zone));
        for (const File::Released& r : file.released) {
            auto it = now.find({r.id, r.tag});
            if (it == now.end() || it->second == r.comparable)
                continue;
            (m_notesToError ? ErrLine : OutLine)(std::wstring(m_preview ? L"would follow the model: " : L"vexlo: ") + At(file.path, r.line) +
                    L": the zone " + Ansi(r.scope) + L" (" + Ansi(r.id) + L"." + Ansi(r.tag) +
                    L") held the generated text, never edited" +
                    (m_preview ? std::wstring() : std::wstring(L"; it follows the model's new text")));
        }
    }
}

} // namespace VexloCli
