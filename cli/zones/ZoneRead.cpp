#include "zones/ZoneGuard.h"

#include "Console.h"
#include "run/RunFiles.h"
#include "run/TextForm.h"
#include "zones/OldFileReads.h"
#include "zones/ZoneText.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_set>

namespace VexloCli {

namespace {

namespace fs = std::filesystem;

const wchar_t* const kGeneratedExtensions[] = {L".pas", L".dpr", L".dpk", L".cs"};

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

void ZoneGuard::ReadOldFiles(const std::vector<std::wstring>& outputPaths)
{
    std::unordered_set<std::wstring> seen;
    std::vector<Oddity> oddities; // reported once all files are read
    // One file at a time: read, checked, its oddities noted and the zones that still hold
    // the generated text released (both told by the places of the whole text), let go.
    OldFileReads reads(outputPaths);
    for (const std::wstring& output : outputPaths) {
        ZoneScanResult scan;
        File* file = ReadRunFile(output, reads.Next(), seen, scan);
        if (!file)
            continue;
        NoteAnomalies(static_cast<size_t>(file - m_files.data()), scan.anomalies, oddities);
        FollowBase(*file, scan.zones);
        scan = ZoneScanResult();
        if (m_addinCopy && GetFileAttributesW(file->path.c_str()) != INVALID_FILE_ATTRIBUTES)
            m_addinCopy(output, file->Text());
        file->LetGo();
    }
    // Only now, when no file is refused, anything is saved or reported.
    for (Oddity& odd : oddities) {
        if (odd.warn)
            Warn(At(m_files[odd.file].path, odd.line) + odd.text);
        else
            Save(m_files[odd.file], std::move(odd.chunk), odd.line, odd.text);
    }
    ReadNeighbours(seen);
    ReadSavedZones(seen);
}

// Zones that still hold the generated text follow the model: the base store says which.
void ZoneGuard::FollowBase(File& file, const std::vector<ScannedZone>& zones)
{
    if (!m_base)
        return;
    std::optional<BaseFile> base = m_base(file.path, &file.Original(), &file.print);
    if (!base)
        return;
    file.baseIsOriginal = base->isOld || base->text == file.Original();
    file.base = file.baseIsOriginal ? std::string() : std::move(base->text);
    ReleaseGeneratedZones(file, base->defaults, zones);
}

// One old file of the run: refused when the add-in would misread it (ExitUserText);
// null when the path names a file already read. `scan` gets its zones, views into
// its text (valid until the file is let go).
ZoneGuard::File* ZoneGuard::ReadRunFile(const std::wstring& output, OldFileRead read,
                                        std::unordered_set<std::wstring>& seen, ZoneScanResult& scan)
{
    File file;
    file.path = Slashed(output);
    file.inRun = true;
    if (!seen.insert(Lower(WideOf(PathOf(file.path).lexically_normal()))).second)
        return nullptr;
    const std::wstring repair = L"; nothing was written. ";
    if (IsDanglingLink(file.path))
        throw CliError(ExitUserText, file.path + L": the file is a symbolic link to " +
                                         WideOf(fs::read_symlink(PathOf(file.path))) +
                                         L", which does not exist" + repair +
                                         L"Create the link's target, or remove the link, and run again.");
    // The identity was taken before the bytes: a change in between shows as a changed file at the commit.
    file.identity = read.identity;
    if (!read.identified)
        file.identity.exists = true; // unknown: compared by its bytes only, and so never equal
    const bool readable = read.bytes.has_value();
    // A folder in the way holds no zone: the commit explains why the file cannot be written.
    if (!readable && read.attributes != INVALID_FILE_ATTRIBUTES && !(read.attributes & FILE_ATTRIBUTE_DIRECTORY))
        throw CliError(ExitUserText, file.path + L": the old file cannot be read (" + ErrorText(read.error) +
                                         L"), and its preserved zones would be lost" + repair +
                                         L"Make it readable and run again.");
    file.original = readable ? std::move(*read.bytes) : std::string();
    file.print = readable ? read.print : VexloCli::PrintOf(std::string());
    file.reloadable = readable && !file.original->empty();
    if (readable && m_watch)
        m_watch(output, *file.original);
    // One pass over the line ends: how they end, and how many are LF alone among CR LF ones.
    const LineEndTally ends = read.ends;
    file.lineEnds = ends.Alike();
    const size_t mixed = ends.pairs ? ends.lf - ends.pairs : 0;
    const std::string& text = *file.original;
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
    if (size_t nul = read.nul; nul != std::string::npos)
        throw CliError(ExitUserText, At(file.path, LineOf(text, nul)) +
                                         L": the file holds a NUL byte, and its preserved zones would be misread" +
                                         repair + L"Remove the NUL bytes (from this line on) and run again.");
    Mend(file);
    // Scanned where it stays: the scan's views into the text serve the caller.
    m_files.push_back(std::move(file));
    File& kept = m_files.back();
    scan = ScanZoneText(kept.Text());
    if (scan.unreadable)
        throw CliError(ExitUserText, At(kept.path, LineOf(kept.Text(), scan.unreadableAt)) +
                                         L": the preserved-zone begin marker on this line cannot be read (" +
                                         scan.why + L" before the end of the file)" + repair +
                                         L"Complete the marker (\"//## begin SCOPE%ID.TAG preserve=yes\" and a "
                                         L"line \"//## end SCOPE%ID.TAG\" after the zone's text) or remove it, "
                                         L"and run again.");
    kept.zoneCount = scan.zones.size();
    m_byPath.try_emplace(Lower(kept.path), m_files.size() - 1);
    return &kept;
}

// The oddities of an old file's markers: to be warned about, or their text kept.
void ZoneGuard::NoteAnomalies(size_t index, const std::vector<ZoneAnomaly>& anomalies,
                              std::vector<Oddity>& into) const
{
    const std::string& text = m_files[index].Text();
    for (const ZoneAnomaly& anomaly : anomalies) {
        int line = LineOf(text, anomaly.at);
        switch (anomaly.kind) {
        case ZoneAnomaly::BeginInsideText:
            into.push_back({index, line, {},
                            L": a preserved-zone begin marker inside the text of another zone (is an end marker "
                            L"missing above it?); it is kept as part of that zone's text",
                            true});
            break;
        case ZoneAnomaly::OrphanEnd:
            into.push_back({index, LineOf(text, anomaly.from), text.substr(anomaly.from, anomaly.to - anomaly.from),
                            L"an end marker that no begin marker opens on line " + std::to_wstring(line) +
                                L" (a deleted begin marker, or \"//## end\" in the code)"});
            break;
        case ZoneAnomaly::MismatchedEnd:
            if (!ComparableText(std::string_view(text).substr(anomaly.from, anomaly.to - anomaly.from)).empty())
                into.push_back({index, LineOf(text, anomaly.from), text.substr(anomaly.from, anomaly.to - anomaly.from),
                     L"the end marker on line " + std::to_wstring(line) +
                         L" names another zone than the one begun on line " +
                         std::to_wstring(LineOf(text, anomaly.to)) +
                         L" (a deleted begin marker?), so the text before that begin marker, from line " +
                         std::to_wstring(LineOf(text, anomaly.from)) + L" on, may be a zone's text"});
            break;
        case ZoneAnomaly::EndLineText:
            into.push_back({index, line, text.substr(anomaly.from, anomaly.to - anomaly.from),
                            L"the zone's end marker on line " + std::to_wstring(line) +
                                L" stands on a line with other text (\"//## end\" in the code?)"});
            break;
        }
    }
}

// Generated files beside the run's files: a renamed component leaves its old file
// there, and its zones follow their elements.
void ZoneGuard::ReadNeighbours(const std::unordered_set<std::wstring>& seen)
{
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
}

void ZoneGuard::Mend(File& file) const
{
    const std::string& original = file.Original();
    if (!m_addinForm) {
        if (MixedLineEnds(original))
            file.mended = ConsistentLineEnds(original);
        return;
    }
    if (std::optional<std::string> form = m_addinForm(file.path, original); form && *form != original)
        file.mended = std::move(*form);
}

} // namespace VexloCli
