#include "BaseStore.h"
#include "TextHash.h"

#include "Console.h"
#include "RunFiles.h"
#include "RunPlan.h"

#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

namespace VexloRun {

namespace fs = std::filesystem;
using namespace VexloCli;

namespace {

const char kMagic[] = "vexlo base 1";

std::wstring Wide(const fs::path& path) { return WideOf(path); }

// A text's name in the store: its two 64-bit hashes taken in one pass (PrintOf), "p"
// and 32 hexadecimal digits.
std::string BlobName(const TextPrint& print)
{
    char name[40];
    std::snprintf(name, sizeof name, "p%016llx%016llx", static_cast<unsigned long long>(print.a),
                  static_cast<unsigned long long>(print.b));
    return name;
}

std::string BlobName(const std::string& text) { return BlobName(PrintOf(text)); }

// Whether `blob` names the text. Stores of earlier versions named texts by 32 digits
// of two other hashes (the second a byte at a time, a tenth of a run's time on its
// old files); such names are still understood, so such a store keeps its texts.
bool Names(const std::string& blob, const std::string& text, const TextPrint* print = nullptr)
{
    if (blob.size() != 32)
        return blob == (print ? BlobName(*print) : BlobName(text));
    uint64_t b = 0xCBF29CE484222325ull;
    for (unsigned char c : text)
        b = (b ^ c) * 0x100000001B3ull;
    char name[40];
    std::snprintf(name, sizeof name, "%016llx%016llx", static_cast<unsigned long long>(TextHash(text)),
                  static_cast<unsigned long long>(b));
    return blob == name;
}

// The index's paths are UTF-8, whatever the process's code page is at the time (a run
// switches it for the add-in between reading the store and recording in it).
std::string Key(const std::string& relative)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, relative.data(), static_cast<int>(relative.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, relative.data(), static_cast<int>(relative.size()), wide.data(), length);
    return Narrow(Lower(wide));
}

// The path as UTF-8 text, "/" separated.
std::string Utf8(const std::wstring& text) { return Narrow(Slashed(text)); }

// The tab-separated fields of a line (views into it); more than four count as five.
size_t Fields(std::string_view text, std::array<std::string_view, 4>& fields)
{
    size_t count = 0, at = 0;
    for (size_t tab; (tab = text.find('\t', at)) != std::string_view::npos; at = tab + 1) {
        if (count == fields.size())
            return fields.size() + 1;
        fields[count++] = text.substr(at, tab - at);
    }
    if (count == fields.size())
        return fields.size() + 1;
    fields[count++] = text.substr(at);
    return count;
}

// Zone keys as "ID<TAB>TAG<NEWLINE>" each, in the set's order: the index's own form,
// without an allocation per key.
std::string PackKeys(const BaseStore::ZoneKeys& keys)
{
    std::string packed;
    for (const auto& [id, tag] : keys)
        packed.append(id).append(1, '\t').append(tag).append(1, '\n');
    return packed;
}

template <typename Each>
void ForEachKey(const std::string& packed, Each each)
{
    for (size_t at = 0, end; (end = packed.find('\n', at)) != std::string::npos; at = end + 1) {
        size_t tab = packed.find('\t', at);
        each(std::string_view(packed).substr(at, tab - at), std::string_view(packed).substr(tab + 1, end - tab - 1));
    }
}

BaseStore::ZoneKeys UnpackKeys(const std::string& packed)
{
    BaseStore::ZoneKeys keys;
    ForEachKey(packed, [&](std::string_view id, std::string_view tag) { keys.emplace_hint(keys.end(), id, tag); });
    return keys;
}

} // namespace

BaseStore BaseStore::Open(const fs::path& outputFolder)
{
    BaseStore store;
    store.m_output = outputFolder;
    const fs::path folder = outputFolder / ".vexlo" / "base";
    for (const fs::path& own : {outputFolder / ".vexlo", folder, folder / "index"})
        if (IsSymbolicLink(Wide(own))) {
            store.m_whyAbsent = Narrow(Slashed(Wide(own))) + " is a symbolic link, which vexlo does not follow";
            return store;
        }
    std::optional<std::string> index = ReadWhole(Wide(folder / "index"));
    if (!index) {
        store.m_whyAbsent = "there is no " + Narrow(Slashed(Wide(folder / "index")));
        return store;
    }
    const std::string_view text = *index;
    size_t at = std::min(text.find('\n'), text.size());
    if (text.empty() || text.substr(0, at) != kMagic) {
        store.m_whyAbsent = Narrow(Slashed(Wide(folder / "index"))) + " is not a base-store index";
        return store;
    }
    Entry* last = nullptr;
    // The last file's keys, packed as read; put in order only when they were not (an
    // index vexlo writes has them in order).
    std::string keys;
    std::pair<std::string_view, std::string_view> previous;
    bool ordered = true;
    auto packLast = [&] {
        if (last)
            last->defaults = ordered ? std::move(keys) : PackKeys(UnpackKeys(keys));
        keys.clear();
        previous = {};
        ordered = true;
    };
    std::array<std::string_view, 4> f;
    for (at = at + 1; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t blank = line.find(' ');
        const size_t n = Fields(line.substr(blank == std::string_view::npos ? line.size() : blank + 1), f);
        if (line.starts_with("file ") && n == 3) {
            Entry e;
            e.blob = f[0];
            e.size = std::strtoull(std::string(f[1]).c_str(), nullptr, 10);
            e.path = f[2];
            packLast();
            std::string key = Key(e.path);
            last = &(store.m_files[std::move(key)] = std::move(e));
        } else if (line.starts_with("default ") && n == 2 && last) {
            ordered = ordered && (keys.empty() || previous < std::pair(f[0], f[1]));
            keys.append(f[0]).append(1, '\t').append(f[1]).append(1, '\n');
            previous = {f[0], f[1]};
        } else if (line.starts_with("saved ") && n == 3) {
            store.m_saved.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2])});
        }
        // Anything else ("end", a later version's line) is skipped.
    }
    packLast();
    store.m_present = true;
    return store;
}

std::optional<std::string> BaseStore::RelativeOf(const fs::path& file) const
{
    std::optional<std::wstring> below = Below(Wide(m_output), Wide(file));
    if (below && !below->empty())
        return Utf8(*below);
    std::wstring relative = Slashed(Wide(file));
    if (below || relative.empty() || relative[0] == L'/' || relative.find(L':') != std::wstring::npos ||
        relative == L".." || relative.rfind(L"../", 0) == 0 || relative.find(L"/../") != std::wstring::npos)
        return std::nullopt;
    return Utf8(relative);
}

std::optional<std::string> BaseStore::Generated(const fs::path& file) const
{
    std::optional<std::string> relative = RelativeOf(file);
    if (!relative)
        return std::nullopt;
    auto it = m_files.find(Key(*relative));
    if (it == m_files.end())
        return std::nullopt;
    if (it->second.pending || it->second.held)
        return PendingText(it->second);
    std::wstring blob = Wide(m_output / ".vexlo" / "base" / it->second.blob);
    if (IsSymbolicLink(blob))
        return std::nullopt;
    std::optional<std::string> text = ReadWhole(blob);
    // A text that is not what its name says is damaged: no base for that file.
    if (!text || text->size() != it->second.size || !Names(it->second.blob, *text))
        return std::nullopt;
    return text;
}

bool BaseStore::Knows(const fs::path& file) const
{
    std::optional<std::string> relative = RelativeOf(file);
    return relative && m_files.count(Key(*relative));
}

std::vector<std::string> BaseStore::Files() const
{
    std::vector<std::string> files;
    for (const auto& [key, entry] : m_files)
        files.push_back(entry.path);
    return files;
}

bool BaseStore::Holds(const fs::path& file, const std::string& text, const TextPrint* print) const
{
    std::optional<std::string> relative = RelativeOf(file);
    auto it = relative ? m_files.find(Key(*relative)) : m_files.end();
    return m_present && it != m_files.end() && it->second.size == text.size() && Names(it->second.blob, text, print);
}

std::string BaseStore::Defaults(const fs::path& file) const
{
    std::optional<std::string> relative = RelativeOf(file);
    auto it = relative ? m_files.find(Key(*relative)) : m_files.end();
    return it == m_files.end() ? std::string() : it->second.defaults;
}

// The entry to write for that text, or null when the store has it already.
BaseStore::Entry* BaseStore::Recorded(const fs::path& file, const std::string& generated, ZoneKeys& defaults)
{
    std::optional<std::string> relative = RelativeOf(file);
    if (!relative)
        return nullptr;
    Entry& e = m_files[Key(*relative)];
    std::string packed = PackKeys(defaults);
    if (e.size == generated.size() && Names(e.blob, generated) && e.path == *relative && e.defaults == packed &&
        m_present)
        return nullptr;
    e.defaults = std::move(packed);
    e.blob = BlobName(generated);
    e.size = generated.size();
    e.path = *relative;
    e.pending = nullptr;
    e.held = nullptr;
    m_changed = true;
    return &e;
}

void BaseStore::Record(const fs::path& file, const std::string& generated, ZoneKeys defaults)
{
    if (Entry* e = Recorded(file, generated, defaults))
        e->pending = &generated;
}

void BaseStore::Record(const fs::path& file, const std::string& generated, const HeldText& held, ZoneKeys defaults)
{
    if (Entry* e = Recorded(file, generated, defaults))
        e->held = &held;
}

// A recorded text as it was recorded; nothing (the system's error set) when a text
// waiting on disk is gone or changed.
std::optional<std::string> BaseStore::PendingText(const Entry& e) const
{
    return e.held ? e.held->Read() : std::optional<std::string>(*e.pending);
}

void BaseStore::Forget(const fs::path& file)
{
    if (std::optional<std::string> relative = RelativeOf(file))
        m_changed = m_files.erase(Key(*relative)) > 0 || m_changed;
}

void BaseStore::RecordSaved(SavedZone zone)
{
    ForgetSaved(zone.id, zone.tag);
    m_saved.push_back(std::move(zone));
    m_changed = true;
}

void BaseStore::ForgetSaved(const std::string& id, const std::string& tag)
{
    size_t before = m_saved.size();
    std::erase_if(m_saved, [&](const SavedZone& z) { return z.id == id && z.tag == tag; });
    m_changed = m_changed || m_saved.size() != before;
}

bool BaseStore::BeginCommit()
{
    if (!m_changed && m_present)
        return true;
    const fs::path folder = m_output / ".vexlo" / "base";
    const std::wstring wideFolder = Wide(folder);
    for (const fs::path& own : {m_output / ".vexlo", folder})
        if (IsSymbolicLink(Wide(own))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
    if (!CreateFolders(wideFolder))
        return false;
    // The new texts first, all flushed together; a text already there is the same text.
    std::vector<StagedFile> staged;
    staged.reserve(m_files.size());
    std::vector<std::pair<std::wstring, StagedFile*>> places;
    std::set<std::string> written;
    for (auto& [key, e] : m_files) {
        if ((!e.pending && !e.held) || !written.insert(e.blob).second)
            continue;
        std::wstring path = Wide(folder / e.blob);
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && !IsSymbolicLink(path))
            continue;
        staged.emplace_back();
        std::optional<std::string> text = PendingText(e);
        if (!text || !StageFile(path, *text, staged.back(), false)) {
            DWORD error = GetLastError();
            for (StagedFile& s : staged)
                DiscardStaged(s);
            SetLastError(error);
            return false;
        }
        places.emplace_back(path, nullptr);
    }
    // Not flushed: a text is read only after its name and size are checked against its
    // print, so one a crash of the machine left short is no base for its file (the run
    // says so and does what it does without one). Flushing them took as long as flushing
    // the run's own files.
    bool ok = true;
    for (size_t i = 0; i < staged.size(); ++i) {
        places[i].second = &staged[i];
        ok = ok && CloseStaged(staged[i]);
    }
    DWORD error = GetLastError();
    for (size_t i = 0; ok && i < places.size(); ++i)
        ok = PlaceStaged(places[i].first, *places[i].second);
    if (!ok) {
        error = GetLastError();
        for (StagedFile& s : staged)
            DiscardStaged(s);
        SetLastError(error);
        return false;
    }
    // Then the old index goes: from here on until EndCommit the store is absent. It is read
    // again only now, for RestoreIndex: a run that changes nothing never needs it.
    std::wstring index = Wide(folder / "index");
    if (GetFileAttributesW(index.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (m_present) {
            std::optional<std::string> old = ReadWhole(index);
            if (!old)
                return false;
            m_oldIndex = std::move(*old);
        }
        if (!DeleteFileW(index.c_str()))
            return false;
    }
    return VxpFlushFolder(wideFolder.c_str());
}

bool BaseStore::EndCommit()
{
    if (!m_changed && m_present)
        return true;
    const fs::path folder = m_output / ".vexlo" / "base";
    // Sized first: at tens of thousands of classes the index is tens of megabytes, and
    // growing it by doubling would hold two copies at the commit, the run's peak.
    size_t size = sizeof kMagic + 5;
    for (const auto& [key, e] : m_files) {
        size += 8 + e.blob.size() + 20 + e.path.size();
        ForEachKey(e.defaults, [&](std::string_view id, std::string_view tag) { size += 10 + id.size() + tag.size(); });
    }
    for (const SavedZone& z : m_saved)
        size += 9 + z.id.size() + z.tag.size() + z.recovery.size();
    std::string index;
    index.reserve(size);
    index.append(kMagic).append(1, '\n');
    std::set<std::string> used;
    for (auto& [key, e] : m_files) {
        index += "file " + e.blob + "\t" + std::to_string(e.size) + "\t" + e.path + "\n";
        ForEachKey(e.defaults, [&](std::string_view id, std::string_view tag) {
            index.append("default ").append(id).append(1, '\t').append(tag).append(1, '\n');
        });
        used.insert(e.blob);
    }
    for (const SavedZone& z : m_saved)
        index += "saved " + z.id + "\t" + z.tag + "\t" + z.recovery + "\n";
    index += "end\n";
    std::wstring indexPath = Wide(folder / "index");
    if (IsSymbolicLink(indexPath)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (!ReplaceDurably(indexPath, index))
        return false;
    for (auto& [key, e] : m_files) {
        e.pending = nullptr;
        e.held = nullptr;
    }
    m_oldIndex = std::move(index);
    m_present = true;
    m_changed = false;
    // Texts that no file names any more.
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::string name = Narrow(WideOf(it->path().filename()));
        const bool text = name.size() == 32 || (name.size() == 33 && name[0] == 'p'); // this or an earlier version's
        if (text && !used.count(name))
            DeleteFileW(Wide(it->path()).c_str());
    }
    return true;
}

bool BaseStore::RestoreIndex()
{
    if (m_oldIndex.empty())
        return true;
    std::wstring indexPath = Wide(m_output / ".vexlo" / "base" / "index");
    if (IsSymbolicLink(indexPath)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return ReplaceDurably(indexPath, m_oldIndex);
}

} // namespace VexloRun
