#include "ZoneGuard.h"

#include "Console.h"

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cwctype>
#include <filesystem>
#include <optional>
#include <unordered_set>

namespace VexloCli {

namespace {

namespace fs = std::filesystem;

const wchar_t* const kGeneratedExtensions[] = {L".pas", L".dpr", L".dpk", L".cs"};

std::wstring Slashed(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

// Paths travel as UTF-8, the file names' encoding here: the standard library's own
// wide-to-narrow conversion knows only ASCII on Linux, whatever the locale.
fs::path PathOf(const std::wstring& text)
{
    std::string utf8 = Narrow(text);
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::wstring WideOf(const fs::path& path)
{
    std::u8string utf8 = path.u8string();
    if (utf8.empty())
        return std::wstring();
    const char* bytes = reinterpret_cast<const char*>(utf8.data());
    int length = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// 8-bit file text as the add-in reads it (the ANSI code page).
std::wstring Ansi(const std::string& text)
{
    if (text.empty())
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// Through the platform's files, which find a path the way the add-in does.
std::optional<std::string> ReadWhole(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr)) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    if (!ok)
        return std::nullopt;
    return text;
}

bool WriteAt(const std::wstring& path, const std::string& text, bool append)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = !append || SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
    DWORD written = 0;
    ok = ok && WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
    return CloseHandle(file) && ok;
}

std::wstring At(const std::wstring& path, int line) { return path + L":" + std::to_wstring(line); }

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

} // namespace

std::vector<std::wstring> GeneratedFiles(const RoseHost::Model& model, const std::vector<RoseHost::Class*>& classes,
                                         const std::vector<RoseHost::Module*>& modules, const PathSymbolLookup& lookup)
{
    std::vector<const RoseHost::Module*> all(modules.begin(), modules.end());
    for (const RoseHost::Class* cls : classes)
        all.insert(all.end(), cls->assignedModules.begin(), cls->assignedModules.end());
    std::vector<std::wstring> files;
    for (const RoseHost::Module* module : all)
        if (std::optional<ComponentOutput> out = ComponentOutputOf(model, *module, lookup); out && out->generated)
            files.push_back(out->path);
    return files;
}

ZoneGuard::ZoneGuard(bool strict) : m_strict(strict) {}

void ZoneGuard::ReadOldFiles(const std::vector<std::wstring>& outputPaths)
{
    std::unordered_set<std::wstring> seen;
    for (const std::wstring& output : outputPaths) {
        File file;
        file.path = Slashed(output);
        file.inRun = true;
        if (!seen.insert(Lower(WideOf(PathOf(file.path).lexically_normal()))).second)
            continue;
        file.text = ReadWhole(file.path).value_or(std::string());
        const std::string& text = file.text;
        const std::wstring repair = L"; nothing was written. ";
        if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0 || LooksLikeUtf16(text))
            throw CliError(ExitUserText,
                           At(file.path, 1) + L": the file is UTF-16 text" +
                               (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0
                                    ? L" (it starts with a UTF-16 byte-order mark)"
                                    : L"") +
                               L", and its preserved zones would be misread" + repair +
                               L"Save it as 8-bit text in the ANSI code page and run again.");
        if (size_t nul = text.find('\0'); nul != std::string::npos)
            throw CliError(ExitUserText, At(file.path, LineOf(text, nul)) +
                                             L": the file holds a NUL byte, and its preserved zones would be misread" +
                                             repair + L"Remove the NUL bytes (from this line on) and run again.");
        file.scan = ScanZoneText(text);
        if (file.scan.unreadable)
            throw CliError(ExitUserText, At(file.path, LineOf(text, file.scan.unreadableAt)) +
                                             L": the preserved-zone begin marker on this line cannot be read (" +
                                             file.scan.why + L" before the end of the file)" + repair +
                                             L"Complete the marker (\"//## begin SCOPE%ID.TAG preserve=yes\" and a "
                                             L"line \"//## end SCOPE%ID.TAG\" after the zone's text) or remove it, "
                                             L"and run again.");
        m_files.push_back(std::move(file));
    }

    // Only now, when no file is refused, anything is saved or reported.
    for (const File& file : m_files) {
        const std::string& text = file.text;
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            Warn(At(file.path, 1) + L": the file starts with a UTF-8 byte-order mark; it is read as text of the ANSI "
                                    L"code page, and the new file is written without it");
        for (const ZoneAnomaly& anomaly : file.scan.anomalies) {
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
            case ZoneAnomaly::EndLineText:
                Save(file, text.substr(anomaly.from, anomaly.to - anomaly.from), line,
                     L"the zone's end marker on line " + std::to_wstring(line) +
                         L" stands on a line with other text (\"//## end\" in the code?)");
                break;
            }
        }
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
            file.text = std::move(*text);
            file.scan = ScanZoneText(file.text);
            if (!file.scan.unreadable && !file.scan.zones.empty())
                m_files.push_back(std::move(file));
        }
    }
}

bool ZoneGuard::CarryDroppedZones()
{
    // A new file's text is not kept: a run writes tens of megabytes, and few files (often
    // none) receive a zone; those are read again when they are written.
    struct NewFile {
        File* old;
        std::set<std::pair<std::string, std::string>> keys, oldKeys;
        std::string carried;
    };
    // Only an old file's zone can be carried: without one (a first run into an empty
    // folder) the new files need not be read at all.
    if (std::none_of(m_files.begin(), m_files.end(), [](const File& f) { return !f.scan.zones.empty(); }))
        return false;
    std::vector<NewFile> news;
    std::unordered_set<std::string> kept;
    for (File& file : m_files) {
        if (!file.inRun)
            continue;
        std::optional<std::string> text = ReadWhole(file.path);
        if (!text)
            continue;
        ZoneScanResult scan = ScanZoneText(*text);
        NewFile current{&file, {}, {}, {}};
        for (const ScannedZone& zone : scan.zones) {
            current.keys.insert({zone.id, zone.tag});
            kept.insert(ComparableText(std::string_view(*text).substr(zone.textStart, zone.textEnd - zone.textStart)));
        }
        for (const ScannedZone& zone : file.scan.zones)
            current.oldKeys.insert({zone.id, zone.tag});
        news.push_back(std::move(current));
    }

    bool carried = false;
    for (const File& source : m_files) {
        for (const ScannedZone& zone : source.scan.zones) {
            std::string_view text = std::string_view(source.text).substr(zone.textStart, zone.textEnd - zone.textStart);
            std::string comparable = ComparableText(text);
            if (comparable.empty() || kept.count(comparable))
                continue;
            std::pair<std::string, std::string> key{zone.id, zone.tag};
            for (NewFile& target : news) {
                if (!target.keys.count(key) || target.oldKeys.count(key) || !m_carried[target.old->path].insert(key).second)
                    continue;
                // The first zone of an (id, tag) is the one the add-in takes: in front.
                target.carried += MarkerForm(zone, source.text);
                OutLine(L"vexlo: carrying the zone " + Ansi(zone.scope) + L" (" + Ansi(zone.id) + L"." + Ansi(zone.tag) +
                        L") from " + At(source.path, LineOf(source.text, zone.start)) + L" into " + target.old->path);
                kept.insert(comparable);
                break;
            }
        }
    }
    for (NewFile& target : news) {
        if (target.carried.empty())
            continue;
        const std::optional<std::string> text = ReadWhole(target.old->path);
        if (!text || !WriteAt(target.old->path, target.carried + *text, false))
            throw CliError(ExitHostError, target.old->path + L": the zones carried into this file could not be written");
        carried = true;
    }
    return carried;
}

int ZoneGuard::SaveWhatWasLost()
{
    // Only a zone of a file the run wrote can be lost.
    if (std::none_of(m_files.begin(), m_files.end(), [](const File& f) { return f.inRun && !f.scan.zones.empty(); }))
        return m_strict && m_saved ? ExitUserText : ExitOk;
    std::unordered_set<std::string> kept;
    for (const File& file : m_files) {
        std::optional<std::string> text = file.inRun ? ReadWhole(file.path) : std::nullopt;
        if (!text)
            continue;
        ZoneScanResult scan = ScanZoneText(*text);
        for (const ScannedZone& zone : scan.zones)
            kept.insert(ComparableText(std::string_view(*text).substr(zone.textStart, zone.textEnd - zone.textStart)));
    }
    for (const File& file : m_files) {
        if (!file.inRun)
            continue;
        for (const ScannedZone& zone : file.scan.zones) {
            std::string comparable =
                ComparableText(std::string_view(file.text).substr(zone.textStart, zone.textEnd - zone.textStart));
            if (comparable.empty() || !kept.insert(comparable).second)
                continue;
            Save(file, MarkerForm(zone, file.text), LineOf(file.text, zone.start),
                 L"the zone " + Ansi(zone.scope) + L" (" + Ansi(zone.id) + L"." + Ansi(zone.tag) + L") of " +
                     Lines(file.text, zone.start, zone.end) + L" is in no generated file");
        }
    }
    return m_strict && m_saved ? ExitUserText : ExitOk;
}

void ZoneGuard::Save(const File& file, std::string chunk, int line, const std::wstring& reason)
{
    std::wstring recovery = file.path + L".vxlost";
    if (!chunk.empty() && chunk.back() != '\n')
        chunk += "\r\n";
    std::wstring header = L"// vexlo, " + UtcNow() + L", " + file.path + L": " + reason + L"\r\n";
    int length = WideCharToMultiByte(CP_ACP, 0, header.c_str(), static_cast<int>(header.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string narrowHeader(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_ACP, 0, header.c_str(), static_cast<int>(header.size()), narrowHeader.data(), length,
                            nullptr, nullptr);
    if (!WriteAt(recovery, narrowHeader + chunk + "\r\n", true))
        throw CliError(ExitUserText, recovery + L": the recovery file cannot be written, and " + file.path + L" holds " +
                                         reason + L"; nothing more is written. Make the folder writable and run again.");
    m_saved = true;
    Warn(At(file.path, line) + L": " + reason + L"; its text was saved to " + recovery);
}

} // namespace VexloCli
