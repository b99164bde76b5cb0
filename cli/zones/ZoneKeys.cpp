#include "zones/ZoneGuard.h"

#include "run/RunFiles.h"
#include "run/TextHash.h"
#include "zones/ZoneText.h"

#include <bit>
#include <cstring>
#include <optional>

namespace VexloCli {

std::string ZoneGuard::KeyOf(std::string_view id, std::string_view tag, std::string_view comparable)
{
    std::string key = std::to_string(id.size()) + ":" + std::to_string(tag.size()) + ":";
    key.append(id).append(tag);
    // A long text stands in the key by its length and two independent 64-bit hashes:
    // every zone of the run is in these sets at once, and their texts are megabytes.
    if (comparable.size() <= 32)
        return key.append(comparable);
    uint64_t h[3] = {comparable.size(), TextHash(comparable), 0};
    uint64_t second = 0xCBF29CE484222325ull; // FNV-1a
    for (unsigned char c : comparable)
        second = (second ^ c) * 0x100000001B3ull;
    h[2] = second;
    key += '#';
    return key.append(reinterpret_cast<const char*>(h), sizeof h);
}

uint64_t ZoneGuard::FileKey(const File* file, std::string_view id, std::string_view tag)
{
    std::string key(reinterpret_cast<const char*>(&file), sizeof file);
    key.append(id).append(1, '\0').append(tag);
    return TextHash(key);
}

// A fingerprint of the new files: their sizes and a hash of their bytes, to tell that
// they are still the files a key set was taken from.
std::vector<std::pair<size_t, uint64_t>> ZoneGuard::Fingerprint(const NewPath& newPath) const
{
    std::vector<std::pair<size_t, uint64_t>> prints;
    for (const File& file : m_files) {
        if (!file.inRun)
            continue;
        std::optional<std::string> text = ReadWhole(newPath(file.path));
        prints.emplace_back(text ? text->size() : SIZE_MAX, text ? TextHash(*text) : 0);
    }
    return prints;
}

// The zones the new files of the run hold, by key and text; with keys, also each run
// file's keys.
ZoneGuard::KeySet ZoneGuard::PresentIn(const NewPath& newPath,
                                       FileKeys* keys)
{
    KeySet present;
    m_prints.clear();
    for (const File& file : m_files) {
        if (!file.inRun)
            continue;
        std::optional<std::string> text = ReadWhole(newPath(file.path));
        m_prints.emplace_back(text ? text->size() : SIZE_MAX, text ? TextHash(*text) : 0);
        if (!text)
            continue;
        for (const ScannedZone& zone : ScanZoneText(*text).zones) {
            present.insert(KeyOf(zone.id, zone.tag, ZoneText(*text, zone)));
            if (keys)
                keys->insert(FileKey(&file, zone.id, zone.tag));
        }
    }
    return present;
}

// For each file (in m_files order): whether the run writes it and its new text is the
// text the guard scanned. Such a file's new zones are its old ones, key for key, so its
// zones need no looking up; when every zone is in such a file, no key is taken at all.
std::vector<bool> ZoneGuard::Kept(const NewPath& newPath) const
{
    std::vector<bool> kept(m_files.size(), false);
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (!m_files[i].inRun || !m_files[i].zoneCount)
            continue;
        std::optional<std::string> text = ReadWhole(newPath(m_files[i].path));
        kept[i] = text && (m_files[i].Holds(*text) || *text == m_files[i].Text());
        m_files[i].LetGo();
    }
    return kept;
}

std::vector<bool> ZoneGuard::Unchanged(const NewPath& newPath)
{
    std::vector<bool> unchanged(m_files.size(), false);
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (!m_files[i].inRun)
            continue;
        const std::optional<std::string> text = ReadWhole(newPath(m_files[i].path));
        unchanged[i] = text && m_files[i].Holds(*text);
    }
    m_unchanged = unchanged;
    return unchanged;
}

bool ZoneGuard::AllKept(const std::vector<bool>& kept, bool inRunOnly) const
{
    for (size_t i = 0; i < m_files.size(); ++i)
        if (!kept[i] && m_files[i].zoneCount && (m_files[i].inRun || !inRunOnly))
            return false;
    return true;
}

} // namespace VexloCli
