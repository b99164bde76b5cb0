// The zone guard's reading of the text outside the zones: lines of the user's that a
// regeneration would replace, told by the base store or, without one, by their words.
#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/DurableFiles.h"
#include "run/TextDiff.h"
#include "zones/ZoneText.h"

#include "vxplat/Files.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace VexloCli {

namespace {

// Each line of the new file's zones that a handed zone (`handed`, marker form) filled, counted.
void CountHandedLines(const std::string& handed, const std::string& now, std::unordered_map<std::string, int>& into)
{
    std::set<std::pair<std::string_view, std::string_view>> keys;
    const ZoneScanResult handedZones = ScanZoneText(handed);
    for (const ScannedZone& zone : handedZones.zones)
        keys.insert({zone.id, zone.tag});
    for (const ScannedZone& zone : ScanZoneText(now).zones) {
        if (!keys.count({zone.id, zone.tag}))
            continue;
        for (size_t p = zone.textStart; p < zone.textEnd;) {
            const size_t end = std::min(now.find('\n', p), zone.textEnd);
            ++into[ComparableText(std::string_view(now).substr(p, end - p))];
            p = end + 1;
        }
    }
}

// Each word (letters, digits, '_') of a text.
template <class Each> void EachWord(std::string_view text, Each&& each)
{
    auto isWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (size_t i = 0; i < text.size();) {
        if (!isWord(text[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && isWord(text[i]))
            ++i;
        each(text.substr(start, i - start));
    }
}

// The text outside the zones, as ranges.
std::vector<std::pair<size_t, size_t>> OutsideZones(const std::vector<ScannedZone>& zones, size_t size)
{
    std::vector<std::pair<size_t, size_t>> outside;
    size_t at = 0;
    for (const ScannedZone& zone : zones) {
        if (zone.start > at)
            outside.emplace_back(at, zone.start);
        at = std::max(at, zone.end);
    }
    outside.emplace_back(at, size);
    return outside;
}

// Every line (comparable) and every word of the run's new files.
struct NewFilesWords {
    std::unordered_set<std::string> lines, words;
};

// Whether the model reworded the old line at `index` into `reworded` (RewordedLines): the
// words its new form brings are new names, found nowhere in the old file. (A generated
// line the user edited is reworded back to words or numbers the old file has: the edit
// is saved.)
bool ModelReworded(std::string_view line, std::string_view reworded,
                   const std::unordered_set<std::string>& oldFileWords)
{
    if (reworded.empty())
        return false;
    std::unordered_set<std::string> lineWords;
    EachWord(line, [&](std::string_view w) { lineWords.emplace(w); });
    bool onlyNewNames = true;
    EachWord(reworded, [&](std::string_view w) {
        std::string word(w);
        const bool newName = !std::isdigit(static_cast<unsigned char>(word[0])) && !oldFileWords.count(word);
        onlyNewNames = onlyNewNames && (lineWords.count(word) || newName);
    });
    return onlyNewNames;
}

// The lines (from 1) outside the zones of `text` that hold a word of their own: one no new
// file has and the old file's text outside its zones has nowhere else.
std::vector<int> LinesByWords(const std::string& text, const std::vector<std::pair<size_t, size_t>>& outside,
                              const std::string& now, const NewFilesWords& fresh)
{
    std::unordered_map<std::string, int> oldWords;
    for (auto [from, to] : outside)
        EachWord(std::string_view(text).substr(from, to - from),
                 [&](std::string_view w) { ++oldWords[std::string(w)]; });
    const std::vector<std::string_view> reworded = RewordedLines(text, now);
    std::unordered_set<std::string> oldFileWords;
    EachWord(text, [&](std::string_view w) { oldFileWords.emplace(w); });
    std::vector<int> lines;
    size_t index = 0, counted = 0; // the line of position `counted`, from 0
    for (auto [from, to] : outside) {
        for (size_t p = from; p < to;) {
            size_t end = std::min(text.find('\n', p), to);
            std::string_view line = std::string_view(text).substr(p, end - p);
            std::string comparable = ComparableText(line);
            bool own = false;
            index += static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                                    text.begin() + static_cast<std::ptrdiff_t>(p), '\n'));
            counted = p;
            if (!comparable.empty() && !fresh.lines.count(comparable) && line.find("//## ") == std::string_view::npos &&
                !ModelReworded(line, index < reworded.size() ? reworded[index] : std::string_view(), oldFileWords))
                EachWord(line, [&](std::string_view w) {
                    own = own || (!fresh.words.count(std::string(w)) && oldWords[std::string(w)] == 1);
                });
            if (own)
                lines.push_back(static_cast<int>(index + 1));
            p = end + 1;
        }
    }
    return lines;
}

// The lines and words of the new files at these paths.
NewFilesWords WordsOfNewFiles(const std::vector<std::wstring>& newFiles)
{
    NewFilesWords fresh;
    for (const std::wstring& path : newFiles) {
        std::optional<std::string> text = ReadWhole(path);
        if (!text)
            continue;
        for (size_t at = 0; at < text->size();) {
            size_t end = std::min(text->find('\n', at), text->size());
            fresh.lines.insert(ComparableText(std::string_view(*text).substr(at, end - at)));
            at = end + 1;
        }
        EachWord(*text, [&](std::string_view w) { fresh.words.emplace(w); });
    }
    return fresh;
}

} // namespace

// Text outside the zones is the generator's, and regeneration replaces it; but a line of
// the user's lands there when a marker line is deleted or moved, or lines are swapped.
// With the base store such a line is one the last run did not write there; without it,
// it is told from generated text the model changed by a word of its own (LinesByWords:
// a renamed class's name stands in many generated lines). Those lines of a file that
// changes are saved, one entry per file.
void ZoneGuard::SaveStrayLines(const NewPath& newPath, const std::vector<bool>& unchanged)
{
    std::optional<NewFilesWords> fresh; // read when first needed
    for (const File& file : m_files) {
        if (!file.inRun || (!file.zoneCount && !file.base) || unchanged[static_cast<size_t>(&file - m_files.data())])
            continue;
        struct LetGoAtEnd {
            const File& file;
            ~LetGoAtEnd() { file.LetGo(); }
        } letGo{file};
        std::optional<std::string> now = ReadWhole(newPath(file.path));
        if (!now)
            continue;
        const std::vector<std::pair<size_t, size_t>> outside = OutsideZones(file.Zones(), file.Text().size());
        if (file.base) {
            SaveLines(file, LeaveReadBack(file, LinesNotInBase(file, outside, &*now), *now),
                      L"are not text the last run generated: regeneration replaces text outside the zones, and "
                      L"these are yours");
            continue;
        }
        if (!fresh) {
            std::vector<std::wstring> newFiles;
            for (const File& other : m_files)
                if (other.inRun)
                    newFiles.push_back(newPath(other.path));
            fresh = WordsOfNewFiles(newFiles);
        }
        SaveLines(file, LeaveReadBack(file, LinesByWords(file.Text(), outside, *now, *fresh), *now),
                  L"are in no generated file and hold words no generated file has: regeneration replaces text "
                  L"outside the zones, and these look like yours (a marker deleted or moved?)");
    }
}

// The lines outside the zones (numbered from 1) that the last run's text does not have
// outside its zones: as many of each as it had are the generator's, the rest the user's.
std::vector<int> ZoneGuard::LinesNotInBase(const File& file, const std::vector<std::pair<size_t, size_t>>& outside,
                                           const std::string* now) const
{
    // Each line outside the zones of a text, counted (a multiset, so a line typed twice counts twice).
    auto countOutside = [](const std::string& text, std::unordered_map<std::string, int>& into) {
        auto count = [&](size_t from, size_t to) {
            for (size_t p = from; p < to;) {
                size_t end = std::min(text.find('\n', p), to);
                ++into[ComparableText(std::string_view(text).substr(p, end - p))];
                p = end + 1;
            }
        };
        size_t at = 0;
        for (const ScannedZone& zone : ScanZoneText(text).zones) {
            count(at, zone.start);
            at = std::max(at, zone.end);
        }
        count(at, text.size());
    };
    std::unordered_map<std::string, int> generated, written;
    countOutside(file.Base(), generated);
    // A user's line that the new file now writes outside its zones more often than the
    // last run did is the generator's own from now on (the model took it over, as after
    // `vexlo reverse`): it is in the new file, not lost.
    if (now)
        countOutside(*now, written);
    // So is a user's line that a zone handed to the add-in carried into the new file's
    // zones (the body of a method `vexlo reverse` added to the model).
    if (auto handed = m_handed.find(Lower(file.path)); now && handed != m_handed.end())
        CountHandedLines(handed->second, *now, written);
    const std::unordered_map<std::string, int> baseCounts = generated;
    std::vector<int> lines;
    const std::string& text = file.Text();
    int number = 1;
    size_t counted = 0;
    for (auto [from, to] : outside) {
        for (size_t p = from; p < to;) {
            size_t end = std::min(text.find('\n', p), to);
            number += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                                  text.begin() + static_cast<std::ptrdiff_t>(p), '\n'));
            counted = p;
            std::string comparable = ComparableText(std::string_view(text).substr(p, end - p));
            if (!comparable.empty() && --generated[comparable] < 0) {
                // The how-many-th of the user's own copies of this line, against the new
                // file's copies beyond the base's.
                const int own = -generated[comparable];
                auto more = written.find(comparable);
                auto inBase = baseCounts.find(comparable);
                const int surplus = (more == written.end() ? 0 : more->second) -
                                    (inBase == baseCounts.end() ? 0 : inBase->second);
                if (own > surplus)
                    lines.push_back(number);
            }
            p = end + 1;
        }
    }
    return lines;
}

std::vector<int> ZoneGuard::LeaveReadBack(const File& file, std::vector<int> lines, const std::string& now) const
{
    if (!m_readBack || lines.empty())
        return lines;
    const std::set<int> read = m_readBack(Lower(file.path), now);
    std::erase_if(lines, [&](int line) { return read.count(file.UserLine(line)) > 0; });
    return lines;
}

void ZoneGuard::SaveLines(const File& file, const std::vector<int>& lines, const std::wstring& why)
{
    if (lines.empty())
        return;
    std::string chunk;
    const std::string& text = file.Text();
    size_t p = 0;
    int number = 1;
    for (int wanted : lines) {
        for (; number < wanted && p < text.size(); ++number)
            p = std::min(text.find('\n', p), text.size()) + 1;
        size_t end = std::min(text.find('\n', p), text.size());
        std::string_view line = std::string_view(text).substr(p, end - p);
        chunk.append(line).append(!line.empty() && line.back() == '\r' ? "\n" : "\r\n");
    }
    // Named by their lines in the user's file, which the add-in's copy may have fewer of.
    std::wstring where;
    for (size_t i = 0; i < lines.size() && i < 8; ++i)
        where += (i ? L", " : L"") + std::to_wstring(file.UserLine(lines[i]));
    if (lines.size() > 8)
        where += L", ...";
    Save(file, chunk, file.UserLine(lines.front()),
         std::to_wstring(lines.size()) + L" line(s) outside the preserved zones (line " + where + L") " + why);
}

void ZoneGuard::SaveRetired(const std::wstring& path, const std::string& text, const std::optional<std::string>& base)
{
    File file;
    file.path = Slashed(path);
    file.original = text;
    file.base = base;
    for (const ScannedZone& zone : file.Zones())
        if (!ZoneText(text, zone).empty())
            Save(file, MarkerForm(zone, text), LineOf(text, zone.start),
                 ZoneName(zone) + L" of a stale file (no component writes it any more)", zone.id, zone.tag);
    const std::vector<std::pair<size_t, size_t>> outside = OutsideZones(file.Zones(), text.size());
    if (base)
        SaveLines(file, LinesNotInBase(file, outside), L"of a stale file are not text the last run generated");
}

} // namespace VexloCli
