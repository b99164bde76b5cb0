// The zone guard's use of the base store: zones that still hold the generated text,
// zones saved to recovery files by earlier runs, and which zones of a new file the
// generator wrote itself.
#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/DurableFiles.h"
#include "run/TextDiff.h"
#include "run/TextHash.h"
#include "zones/ZoneText.h"

#include "vxplat/Files.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
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

// The zone keys (id, tag) of one file in one flat table: thousands of zones a file, each
// looked up once, where a node per key would cost more than the rest of the work.
class KeyTable {
public:
    struct Slot {
        std::string_view id, tag;
        bool used = false;
        bool own = false;                   // the generator wrote the zone's text itself
        const ScannedZone* first = nullptr; // the first zone of the key in the text
    };
    explicit KeyTable(size_t keys) : m_slots(std::bit_ceil(keys * 2 + 2)) {}
    Slot& operator()(std::string_view id, std::string_view tag)
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t i = (TextHash(id) * 31 + TextHash(tag)) & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (!slot.used) {
                slot.used = true, slot.id = id, slot.tag = tag;
                return slot;
            }
            if (slot.id == id && slot.tag == tag)
                return slot;
        }
    }

private:
    std::vector<Slot> m_slots;
};

// Line ends in [from, to): a search per line rather than a look at every byte.
int CountLineEnds(const std::string& text, size_t from, size_t to)
{
    int lines = 0;
    const char* const end = text.data() + to;
    for (const char* p = text.data() + from;
         (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))) != nullptr; ++p)
        ++lines;
    return lines;
}

// Where the zones at `ranges` (in order) were cut out of `text`: see File::Cut.
template <class Cut, class Range> std::vector<Cut> CutsOf(const std::string& text, const std::vector<Range>& ranges)
{
    std::vector<Cut> cuts;
    cuts.reserve(ranges.size());
    size_t keptSize = 0, at = 0, counted = 0;
    char keptBack = '\n'; // the last character kept ('\n' while none is)
    int line = 1;          // of position `counted`
    for (auto [start, end] : ranges) {
        line += CountLineEnds(text, counted, start);
        counted = start;
        if (start > at) {
            keptSize += start - at;
            keptBack = text[start - 1];
        }
        const int removed = cuts.empty() ? 0 : cuts.back().lines;
        cuts.push_back({keptSize, line - removed + (keptBack == '\n' ? 0 : 1), removed + CountLineEnds(text, start, end)});
        at = end;
    }
    return cuts;
}

} // namespace

// `zones` are the zones of file.Text(); `defaults` the base's packed keys of the zones
// whose text the generator wrote itself.
void ZoneGuard::ReleaseGeneratedZones(File& file, const std::string& defaults, const std::vector<ScannedZone>& zones)
{
    if (defaults.empty())
        return;
    KeyTable keys(zones.size() + static_cast<size_t>(std::count(defaults.begin(), defaults.end(), '\n')));
    for (size_t at = 0, end; (end = defaults.find('\n', at)) != std::string::npos; at = end + 1) {
        const size_t tab = std::min(defaults.find('\t', at), end), next = std::min(tab + 1, end);
        keys(std::string_view(defaults).substr(at, tab - at), std::string_view(defaults).substr(next, end - next)).own =
            true;
    }
    const std::string& text = file.Text();
    if (text.size() > UINT32_MAX)
        return;
    // The original's zones are cut where they are; a text made for the add-in is copied.
    const bool cutOriginal = &text == &file.Original();
    // The generated text of a zone is that of the first zone of its key in the base. When
    // the base is the very text scanned (a file nobody edited), only a key's later zones
    // need comparing.
    const bool baseIsText = cutOriginal && file.baseIsOriginal;
    std::unordered_map<std::pair<std::string_view, std::string_view>, std::string, ViewPairHash> generated;
    const ZoneScanResult baseScan = baseIsText ? ZoneScanResult() : ScanZoneText(file.Base());
    for (const ScannedZone& zone : baseScan.zones)
        generated.try_emplace({zone.id, zone.tag}, ZoneText(file.Base(), zone));
    std::string kept;
    std::vector<std::pair<uint32_t, uint32_t>> ranges;
    size_t at = 0, counted = 0;
    int line = 1; // of position `counted`, counted on from zone to zone
    for (const ScannedZone& zone : zones) {
        std::string comparable;
        KeyTable::Slot& key = keys(zone.id, zone.tag);
        const ScannedZone* first = key.first;
        if (!first)
            key.first = &zone;
        if (!key.own)
            continue;
        if (baseIsText) {
            if (first && ZoneText(text, *first) != ZoneText(text, zone))
                continue;
        } else {
            auto it = generated.find({zone.id, zone.tag});
            comparable = ZoneText(text, zone);
            if (it == generated.end() || it->second != comparable)
                continue;
        }
        ranges.emplace_back(static_cast<uint32_t>(zone.start), static_cast<uint32_t>(zone.end));
        // Cut from the original, a zone is found there again when asked for.
        if (!cutOriginal) {
            line += CountLineEnds(text, counted, zone.start);
            counted = zone.start;
            for (std::string_view part : {zone.scope, zone.id, zone.tag, std::string_view(comparable)})
                file.released.append(part).push_back('\0');
            file.releasedLines.push_back(line);
            kept.append(text, at, zone.start - at);
        }
        at = zone.end;
    }
    if (ranges.empty())
        return;
    file.released.shrink_to_fit();
    file.zones.reset();
    // Whole zones went, so the others are as they were; with none left no scan is needed.
    const size_t left = zones.size() - ranges.size();
    if (cutOriginal) {
        ranges.shrink_to_fit();
        file.cutRanges = std::move(ranges);
    } else {
        file.cuts = CutsOf<File::Cut>(text, ranges);
        kept.append(text, at, std::string::npos);
        file.mended = std::move(kept);
    }
    file.zoneCount = left ? file.Zones().size() : 0;
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
        text.append(Original(), at, start - at);
        at = end;
    }
    return text.append(Original(), at, std::string::npos);
}

const std::vector<ZoneGuard::File::Cut>& ZoneGuard::File::Cuts() const
{
    if (!cutRanges.empty() && cuts.empty())
        cuts = CutsOf<Cut>(Original(), cutRanges);
    return cuts;
}

int ZoneGuard::File::UserLineAt(size_t at) const
{
    int line = LineOf(Text(), at);
    const std::vector<Cut>& cuts = Cuts();
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it)
        if (it->at <= at)
            return line + it->lines;
    return line;
}

int ZoneGuard::File::UserLine(int line) const
{
    const std::vector<Cut>& cuts = Cuts();
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
        file.original.emplace();
        for (const auto& [key, zone] : last) {
            *file.original += MarkerForm(*zone, *text);
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
void ZoneGuard::ReportFollowed(const NewPath& newPath, const std::vector<bool>& unchanged) const
{
    for (const File& file : m_files) {
        // The old file again: every zone has the text it had.
        const bool released = !file.releasedLines.empty() || !file.cutRanges.empty();
        if (!released || unchanged[static_cast<size_t>(&file - m_files.data())])
            continue;
        std::optional<std::string> text = ReadWhole(newPath(file.path));
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
        const std::string& old = file.Original();
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
        file.LetGo();
    }
}

} // namespace VexloCli
