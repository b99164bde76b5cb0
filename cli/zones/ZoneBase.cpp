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

namespace {

struct ViewPairHash {
    size_t operator()(const std::pair<std::string_view, std::string_view>& key) const
    {
        return std::hash<std::string_view>()(key.first) * 31 + std::hash<std::string_view>()(key.second);
    }
};

} // namespace

void ZoneGuard::ReleaseGeneratedZones(File& file)
{
    const std::string& text = file.Text();
    // The original's zones are cut where they are; a text made for the add-in is copied.
    const bool cutOriginal = &text == &file.original;
    // The generated text of a zone is that of the first zone of its key in the base. When
    // the base is the very text scanned (a file nobody edited), only a key's later zones
    // need comparing.
    const bool baseIsText = cutOriginal && file.baseIsOriginal;
    std::map<std::pair<std::string, std::string>, std::string> generated;
    std::unordered_map<std::pair<std::string_view, std::string_view>, const ScannedZone*, ViewPairHash> first;
    if (baseIsText)
        first.reserve(file.Zones().size());
    else
        for (const ScannedZone& zone : ScanZoneText(file.Base()).zones)
            generated.try_emplace({std::string(zone.id), std::string(zone.tag)}, ZoneText(file.Base(), zone));
    std::string kept;
    std::vector<std::pair<size_t, size_t>> ranges;
    size_t keptSize = 0; // of the text without the released zones (kept, when it is made)
    char keptBack = '\n'; // its last character ('\n' while it is empty)
    size_t at = 0, counted = 0;
    int line = 1; // of position `counted`, counted on from zone to zone
    for (const ScannedZone& zone : file.Zones()) {
        std::string comparable;
        if (baseIsText) {
            auto [it, fresh] = first.try_emplace({zone.id, zone.tag}, &zone);
            if (!fresh && ZoneText(text, *it->second) != ZoneText(text, zone))
                continue;
        } else {
            auto it = generated.find({std::string(zone.id), std::string(zone.tag)});
            comparable = ZoneText(text, zone);
            if (it == generated.end() || it->second != comparable)
                continue;
        }
        if (!file.defaults.count({std::string(zone.id), std::string(zone.tag)}))
            continue;
        line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                            text.begin() + static_cast<std::ptrdiff_t>(zone.start), '\n'));
        counted = zone.start;
        if (zone.start > at) {
            keptSize += zone.start - at;
            keptBack = text[zone.start - 1];
        }
        // Cut from the original, a zone is found there again when asked for.
        if (cutOriginal) {
            ranges.emplace_back(zone.start, zone.end);
        } else {
            for (std::string_view part : {zone.scope, zone.id, zone.tag, std::string_view(comparable)})
                file.released.append(part).push_back('\0');
            file.releasedLines.push_back(line);
            kept.append(text, at, zone.start - at);
        }
        const int gone = static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(zone.start),
                                                     text.begin() + static_cast<std::ptrdiff_t>(zone.end), '\n'));
        const int removed = file.cuts.empty() ? 0 : file.cuts.back().lines;
        file.cuts.push_back({keptSize, line - removed + (keptBack == '\n' ? 0 : 1), removed + gone});
        at = zone.end;
    }
    if (file.cuts.empty())
        return;
    file.released.shrink_to_fit();
    file.cuts.shrink_to_fit();
    file.zones.reset();
    if (cutOriginal) {
        file.cutRanges = std::move(ranges);
    } else {
        kept.append(text, at, std::string::npos);
        file.mended = std::move(kept);
    }
    file.zoneCount = file.Zones().size();
    if (!file.cutRanges.empty()) { // made again for the add-in's copy
        file.zones.reset();
        file.cutText.reset();
    }
}

std::string ZoneGuard::File::CutText() const
{
    std::string text;
    size_t at = 0;
    for (auto [start, end] : cutRanges) {
        text.append(original, at, start - at);
        at = end;
    }
    return text.append(original, at, std::string::npos);
}

void ZoneGuard::DropAddinText(const std::wstring& path)
{
    auto it = m_byPath.find(Lower(Slashed(path)));
    if (File* file = it == m_byPath.end() ? nullptr : &m_files[it->second]; file && file->cutText) {
        file->zones.reset(); // its views are into the text
        file->cutText.reset();
    }
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
        if (file.releasedLines.empty() && file.cutRanges.empty())
            continue;
        // The old file again: every zone has the text it had.
        std::optional<std::string> text = ReadWhole(newPath(file.path));
        if (text && *text == file.original)
            continue;
        std::map<std::pair<std::string, std::string>, std::string> now;
        if (text)
            for (const ScannedZone& zone : ScanZoneText(*text).zones)
                now.try_emplace({std::string(zone.id), std::string(zone.tag)}, ZoneText(*text, zone));
        auto report = [&](int line, std::string_view scope, std::string_view id, std::string_view tag,
                          std::string_view comparable) {
            auto it = now.find({std::string(id), std::string(tag)});
            if (it == now.end() || it->second == comparable)
                return;
            (m_notesToError ? ErrLine : OutLine)(std::wstring(m_preview ? L"would follow the model: " : L"vexlo: ") + At(file.path, line) +
                    L": the zone " + Ansi(scope) + L" (" + Ansi(id) + L"." +
                    Ansi(tag) +
                    L") held the generated text, never edited" +
                    (m_preview ? std::wstring() : std::wstring(L"; it follows the model's new text")));
        };
        // Zones cut from the original are found in it; the others were kept aside.
        size_t cut = 0, counted = 0;
        int line = 1; // of position `counted`
        const std::string& old = file.original;
        for (const ScannedZone& zone : file.cutRanges.empty() ? std::vector<ScannedZone>() : ScanZoneText(old).zones) {
            while (cut < file.cutRanges.size() && file.cutRanges[cut].first < zone.start)
                ++cut;
            if (cut == file.cutRanges.size() || file.cutRanges[cut].first != zone.start)
                continue;
            line += static_cast<int>(std::count(old.begin() + static_cast<std::ptrdiff_t>(counted),
                                                old.begin() + static_cast<std::ptrdiff_t>(zone.start), '\n'));
            counted = zone.start;
            report(line, zone.scope, zone.id, zone.tag, ZoneText(old, zone));
        }
        size_t at = 0;
        auto next = [&] {
            size_t end = file.released.find('\0', at);
            std::string_view part = std::string_view(file.released).substr(at, end - at);
            at = end + 1;
            return part;
        };
        for (int line : file.releasedLines) {
            std::string_view scope = next(), id = next(), tag = next(), comparable = next();
            report(line, scope, id, tag, comparable);
        }
    }
}

} // namespace VexloCli
