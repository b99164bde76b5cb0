#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/RunFiles.h"
#include "run/TextDiff.h"
#include "zones/ZoneText.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <cctype>
#include <unordered_map>
#include <unordered_set>

namespace VexloCli {

namespace {

namespace fs = std::filesystem;

const wchar_t* const kGeneratedExtensions[] = {L".pas", L".dpr", L".dpk", L".cs"};

std::wstring Lines(const std::string& text, size_t from, size_t to)
{
    int first = LineOf(text, from);
    int last = LineOf(text, to > from ? to - 1 : from);
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

// UTF-16 without a byte-order mark: most characters of a source file are ASCII, so
// every other byte is 0.
bool LooksLikeUtf16(const std::string& text)
{
    size_t pairs = std::min<size_t>(text.size(), 4096) / 2, even = 0, odd = 0;
    for (size_t i = 0; i < pairs; ++i) {
        even += text[2 * i] == '\0';
        odd += text[2 * i + 1] == '\0';
    }
    return pairs > 0 && (even * 2 > pairs || odd * 2 > pairs);
}

uint64_t HashBytes(std::string_view text)
{
    uint64_t h = text.size();
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        h = (std::rotl(h, 29) ^ word) * 0x9E3779B97F4A7C15ull;
    }
    for (; i < text.size(); ++i)
        h = (std::rotl(h, 29) ^ static_cast<unsigned char>(text[i])) * 0x9E3779B97F4A7C15ull;
    return h;
}

} // namespace

size_t MixedLineEnds(std::string_view text)
{
    size_t bare = 0;
    bool crlf = false;
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        if (at > 0 && text[at - 1] == '\r')
            crlf = true;
        else
            ++bare;
    }
    return crlf ? bare : 0;
}

std::string ConsistentLineEnds(const std::string& text, size_t* changed)
{
    const size_t bare = MixedLineEnds(text);
    if (changed)
        *changed = bare;
    if (bare == 0)
        return text;
    std::string result;
    result.reserve(text.size() + bare);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            result += '\r';
        result += text[i];
    }
    return result;
}

ZoneGuard::ZoneGuard(bool strict) : m_strict(strict) {}

void ZoneGuard::ReadOldFiles(const std::vector<std::wstring>& outputPaths)
{
    std::unordered_set<std::wstring> seen;
    std::vector<std::vector<ZoneAnomaly>> anomalies; // of each run file, reported once all are read
    for (const std::wstring& output : outputPaths) {
        File file;
        file.path = Slashed(output);
        file.inRun = true;
        if (!seen.insert(Lower(WideOf(PathOf(file.path).lexically_normal()))).second)
            continue;
        const std::wstring repair = L"; nothing was written. ";
        if (IsDanglingLink(file.path))
            throw CliError(ExitUserText, file.path + L": the file is a symbolic link to " +
                                             WideOf(fs::read_symlink(PathOf(file.path))) +
                                             L", which does not exist" + repair +
                                             L"Create the link's target, or remove the link, and run again.");
        // Taken before the bytes: a change in between shows as a changed file at the commit.
        if (!VxpIdentifyFile(file.path.c_str(), &file.identity))
            file.identity.exists = true; // unknown: compared by its bytes only, and so never equal
        std::optional<std::string> bytes = ReadWhole(file.path);
        DWORD attributes = GetFileAttributesW(file.path.c_str());
        // A folder in the way holds no zone: the commit explains why the file cannot be written.
        if (!bytes && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            throw CliError(ExitUserText, file.path + L": the old file cannot be read (" + LastErrorText() +
                                             L"), and its preserved zones would be lost" + repair +
                                             L"Make it readable and run again.");
        file.original = bytes ? std::move(*bytes) : std::string();
        const size_t mixed = MixedLineEnds(file.original);
        const std::string& text = file.original;
        if (mixed)
            (m_notesToError ? ErrLine : OutLine)(L"vexlo: " + file.path + L" has mixed line ends: " + std::to_wstring(mixed) +
                    L" line(s) end in LF alone; they are read as CR LF, the line end of the new file");
        if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0 || LooksLikeUtf16(text))
            throw CliError(ExitUserText,
                           At(file.path, 1) + L": the file is UTF-16 text" +
                               (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0
                                    ? L" (it starts with a UTF-16 byte-order mark)"
                                    : L"") +
                               L", and its preserved zones would be misread" + repair +
                               L"Save it as UTF-8 or as 8-bit text in the ANSI code page and run again.");
        if (size_t nul = text.find('\0'); nul != std::string::npos)
            throw CliError(ExitUserText, At(file.path, LineOf(text, nul)) +
                                             L": the file holds a NUL byte, and its preserved zones would be misread" +
                                             repair + L"Remove the NUL bytes (from this line on) and run again.");
        Mend(file);
        ZoneScanResult scan = ScanZoneText(file.Text());
        if (scan.unreadable)
            throw CliError(ExitUserText, At(file.path, LineOf(file.Text(), scan.unreadableAt)) +
                                             L": the preserved-zone begin marker on this line cannot be read (" +
                                             scan.why + L" before the end of the file)" + repair +
                                             L"Complete the marker (\"//## begin SCOPE%ID.TAG preserve=yes\" and a "
                                             L"line \"//## end SCOPE%ID.TAG\" after the zone's text) or remove it, "
                                             L"and run again.");
        file.zoneCount = scan.zones.size();
        anomalies.push_back(std::move(scan.anomalies));
        m_byPath.try_emplace(Lower(file.path), m_files.size());
        m_files.push_back(std::move(file));
    }

    // Only now, when no file is refused, anything is saved or reported.
    for (size_t f = 0; f < m_files.size(); ++f) {
        const File& file = m_files[f];
        const std::string& text = file.Text();
        for (const ZoneAnomaly& anomaly : anomalies[f]) {
            int line = LineOf(text, anomaly.at);
            switch (anomaly.kind) {
            case ZoneAnomaly::BeginInsideText:
                Warn(At(file.path, line) + L": a preserved-zone begin marker inside the text of another zone (is an "
                                           L"end marker missing above it?); it is kept as part of that zone's text");
                break;
            case ZoneAnomaly::OrphanEnd:
                Save(file, text.substr(anomaly.from, anomaly.to - anomaly.from), LineOf(text, anomaly.from),
                     L"an end marker that no begin marker opens on line " + std::to_wstring(line) +
                         L" (a deleted begin marker, or \"//## end\" in the code)");
                break;
            case ZoneAnomaly::MismatchedEnd:
                if (!ComparableText(std::string_view(text).substr(anomaly.from, anomaly.to - anomaly.from)).empty())
                    Save(file, text.substr(anomaly.from, anomaly.to - anomaly.from), LineOf(text, anomaly.from),
                         L"the end marker on line " + std::to_wstring(line) +
                             L" names another zone than the one begun on line " +
                             std::to_wstring(LineOf(text, anomaly.to)) +
                             L" (a deleted begin marker?), so the text before that begin marker, from line " +
                             std::to_wstring(LineOf(text, anomaly.from)) + L" on, may be a zone's text");
                break;
            case ZoneAnomaly::EndLineText:
                Save(file, text.substr(anomaly.from, anomaly.to - anomaly.from), line,
                     L"the zone's end marker on line " + std::to_wstring(line) +
                         L" stands on a line with other text (\"//## end\" in the code?)");
                break;
            }
        }
    }

    // Zones that still hold the generated text follow the model (the anomalies above
    // are told by the places of the whole text, so only now).
    if (m_base)
        for (File& file : m_files)
            if (std::optional<BaseFile> base = m_base(file.path, &file.original)) {
                file.baseIsOriginal = base->isOld || base->text == file.original;
                file.base = file.baseIsOriginal ? std::string() : std::move(base->text);
                file.defaults = std::move(base->defaults);
                ReleaseGeneratedZones(file);
                ZoneKeys().swap(file.defaults);
            }

    // Generated files beside the run's files: a renamed component leaves its old file
    // there, and its zones follow their elements.
    std::set<std::wstring> folders;
    for (const File& file : m_files)
        folders.insert(WideOf(PathOf(file.path).parent_path()));
    for (const std::wstring& folder : folders) {
        std::error_code error;
        for (fs::directory_iterator it(folder.empty() ? fs::path(L".") : PathOf(folder), error), end;
             !error && it != end; it.increment(error)) {
            std::wstring extension = Lower(WideOf(it->path().extension()));
            if (!it->is_regular_file(error) ||
                std::find(std::begin(kGeneratedExtensions), std::end(kGeneratedExtensions), extension) ==
                    std::end(kGeneratedExtensions))
                continue;
            File file;
            file.path = folder.empty() ? WideOf(it->path().filename()) : WideOf(it->path());
            if (seen.count(Lower(WideOf(PathOf(file.path).lexically_normal()))))
                continue;
            std::optional<std::string> text = ReadWhole(file.path);
            if (!text || text->find('\0') != std::string::npos)
                continue;
            file.original = std::move(*text);
            Mend(file);
            ZoneScanResult scan = ScanZoneText(file.Text());
            file.zoneCount = scan.zones.size();
            if (!scan.unreadable && file.zoneCount)
                m_files.push_back(std::move(file));
        }
    }
    ReadSavedZones(seen);
}

bool ZoneGuard::OldIsBase(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && file->base && file->baseIsOriginal;
}

VxpFileIdentity ZoneGuard::IdentityOf(const std::wstring& path) const
{
    const File* file = Find(path);
    return file ? file->identity : VxpFileIdentity();
}

void ZoneGuard::Mend(File& file) const
{
    if (!m_addinForm) {
        if (MixedLineEnds(file.original))
            file.mended = ConsistentLineEnds(file.original);
        return;
    }
    std::string form = m_addinForm(file.path, file.original);
    if (form != file.original)
        file.mended = std::move(form);
}

const ZoneGuard::File* ZoneGuard::Find(const std::wstring& path) const
{
    auto it = m_byPath.find(Lower(Slashed(path)));
    return it == m_byPath.end() ? nullptr : &m_files[it->second];
}

const std::string* ZoneGuard::OriginalText(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES ? &file->original : nullptr;
}

const std::string* ZoneGuard::TextForAddin(const std::wstring& path) const
{
    const File* file = Find(path);
    return file && GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES ? &file->Text() : nullptr;
}

std::string ZoneGuard::KeyOf(std::string_view id, std::string_view tag, std::string_view comparable)
{
    std::string key = std::to_string(id.size()) + ":" + std::to_string(tag.size()) + ":";
    key.append(id).append(tag);
    // A long text stands in the key by its length and two independent 64-bit hashes:
    // every zone of the run is in these sets at once, and their texts are megabytes.
    if (comparable.size() <= 32)
        return key.append(comparable);
    uint64_t h[3] = {comparable.size(), HashBytes(comparable), 0};
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
    return HashBytes(key);
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
        prints.emplace_back(text ? text->size() : SIZE_MAX, text ? HashBytes(*text) : 0);
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
        m_prints.emplace_back(text ? text->size() : SIZE_MAX, text ? HashBytes(*text) : 0);
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
        kept[i] = text && (*text == m_files[i].Text() || *text == m_files[i].original);
    }
    return kept;
}

bool ZoneGuard::AllKept(const std::vector<bool>& kept, bool inRunOnly) const
{
    for (size_t i = 0; i < m_files.size(); ++i)
        if (!kept[i] && m_files[i].zoneCount && (m_files[i].inRun || !inRunOnly))
            return false;
    return true;
}

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
                                     : LineOf(source.Text(), zone.start);
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
    ReportFollowed(newPath);
    // Only a zone of a file the run writes can be lost, or a line the last run did not write.
    if (std::none_of(m_files.begin(), m_files.end(), [](const File& f) { return f.inRun && (f.zoneCount || f.base); }))
        return;
    const std::vector<bool> kept = Kept(newPath);
    if (AllKept(kept, true)) {
        m_present.reset();
        SaveStrayLines(newPath);
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
            Save(file, MarkerForm(zone, file.Text()), LineOf(file.Text(), zone.start),
                 ZoneName(zone) + L" of " + Lines(file.Text(), zone.start, zone.end) + L" is in no generated file", zone.id,
                 zone.tag);
        }
    }
    SaveStrayLines(newPath);
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
