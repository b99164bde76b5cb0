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

// Each line of a file (without its "\n") with where it starts and where the next one
// does, read a block at a time: a base store's index is tens of megabytes at tens of
// thousands of classes. False when the file cannot be read (the system's error set).
template <typename Each> bool ForEachLine(const std::wstring& path, Each each)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    constexpr DWORD kBlock = 1u << 20;
    std::string block;
    uint64_t offset = 0; // of block[0]
    bool ok = true;
    for (DWORD read = kBlock; read != 0;) {
        const size_t kept = block.size();
        block.resize(kept + kBlock);
        if (!(ok = ReadFile(file, block.data() + kept, kBlock, &read, nullptr)))
            break;
        block.resize(kept + read);
        const std::string_view text = block;
        size_t at = 0;
        for (size_t end; (end = text.find('\n', at)) != std::string_view::npos; at = end + 1)
            each(text.substr(at, end - at), offset + at, offset + end + 1);
        if (read == 0 && at < text.size()) { // the last line has no line end
            each(text.substr(at), offset + at, offset + text.size());
            at = text.size();
        }
        block.erase(0, at);
        offset += at;
    }
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return ok;
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
    // Taken before the bytes: the keys are read again later from the very same index.
    store.m_indexPath = Wide(folder / "index");
    const bool identified = VxpIdentifyFile(store.m_indexPath.c_str(), &store.m_indexIdentity) &&
                            store.m_indexIdentity.exists;
    std::optional<bool> valid = store.ReadIndex(identified);
    if (!valid)
        store.m_whyAbsent = "there is no " + Narrow(Slashed(store.m_indexPath));
    else if (!*valid)
        store.m_whyAbsent = Narrow(Slashed(store.m_indexPath)) + " is not a base-store index";
    else
        store.m_present = true;
    if (!store.m_present) {
        store.m_files.clear();
        store.m_saved.clear();
    }
    return store;
}

// The index at m_indexPath, a line at a time; nothing when it cannot be read, false when
// it is no base-store index. With `identified`, the files' keys stay in it.
std::optional<bool> BaseStore::ReadIndex(bool identified)
{
    Entry* last = nullptr;
    // The last file's keys, packed as read. Kept only when they were out of order (an
    // index vexlo writes has them in order) or the index cannot be told again; otherwise
    // the entry notes where they are.
    std::string keys;
    size_t lastKey = 0; // where the last key starts in `keys`
    bool ordered = true;
    uint64_t keysEnd = 0; // of the last file's last key line
    auto packLast = [&] {
        if (last && (!ordered || !identified || keysEnd - last->at > UINT32_MAX))
            last->defaults = ordered ? std::move(keys) : PackKeys(UnpackKeys(keys));
        else if (last && !keys.empty())
            last->length = static_cast<uint32_t>(keysEnd - last->at);
        keys.clear();
        ordered = true;
    };
    bool first = true, magic = false;
    std::array<std::string_view, 4> f;
    const bool read = ForEachLine(m_indexPath, [&](std::string_view line, uint64_t start, uint64_t next) {
        if (first) {
            first = false;
            magic = line == kIndexMagic;
        }
        if (!magic || start == 0)
            return;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t blank = line.find(' ');
        const size_t n = Fields(line.substr(blank == std::string_view::npos ? line.size() : blank + 1), f);
        if (line.starts_with("file ") && n == 3) {
            Entry e;
            e.blob = f[0];
            e.size = std::strtoull(std::string(f[1]).c_str(), nullptr, 10);
            e.path = f[2];
            e.at = start;
            packLast();
            std::string key = Key(e.path);
            last = &(m_files[std::move(key)] = std::move(e));
        } else if (line.starts_with("default ") && n == 2 && last) {
            if (!keys.empty()) {
                std::string_view previous = std::string_view(keys).substr(lastKey, keys.size() - 1 - lastKey);
                const size_t tab = previous.find('\t');
                ordered = ordered && std::pair(previous.substr(0, tab), previous.substr(tab + 1)) < std::pair(f[0], f[1]);
            }
            lastKey = keys.size();
            keys.append(f[0]).append(1, '\t').append(f[1]).append(1, '\n');
            keysEnd = next;
        } else if (line.starts_with("saved ") && n == 3) {
            m_saved.push_back({std::string(f[0]), std::string(f[1]), std::string(f[2])});
        }
        // Anything else ("end", a later version's line) is skipped.
    });
    if (!read)
        return std::nullopt;
    packLast();
    return magic;
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
    return it == m_files.end() ? std::string() : Keys(it->second);
}

std::string BaseStore::Keys(const Entry& e) const { return e.length ? IndexedKeys(e) : e.defaults; }

void BaseStore::FileHandle::Close()
{
    if (m_handle)
        CloseHandle(m_handle);
    m_handle = nullptr;
}

// An entry's keys as the index read holds them. None when that index is no longer there
// or no longer the one read, or the place does not start with the entry's line: the
// zones are then carried as the user's, which loses nothing.
std::string BaseStore::IndexedKeys(const Entry& e) const
{
    if (!m_index.Get()) {
        VxpFileIdentity now;
        if (IsSymbolicLink(m_indexPath) || !VxpIdentifyFile(m_indexPath.c_str(), &now) || !(now == m_indexIdentity))
            return std::string();
        HANDLE file = CreateFileW(m_indexPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return std::string();
        m_index.Reset(file);
    }
    std::string range(e.length, '\0');
    LONG high = static_cast<LONG>(e.at >> 32);
    DWORD read = 0;
    SetLastError(ERROR_SUCCESS);
    if ((SetFilePointer(m_index.Get(), static_cast<LONG>(e.at & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
             INVALID_SET_FILE_POINTER &&
         GetLastError() != ERROR_SUCCESS) ||
        !ReadFile(m_index.Get(), range.data(), e.length, &read, nullptr) || read != e.length ||
        !range.starts_with("file " + e.blob + "\t"))
        return std::string();
    std::string keys;
    std::array<std::string_view, 4> f;
    for (size_t at = range.find('\n'); at < range.size();) {
        const size_t end = std::min(range.find('\n', at + 1), range.size());
        std::string_view line = std::string_view(range).substr(at + 1, end - at - 1);
        at = end;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with("default ") && Fields(line.substr(8), f) == 2)
            keys.append(f[0]).append(1, '\t').append(f[1]).append(1, '\n');
    }
    return keys;
}

// The entry to write for that text, or null when the store has it already.
BaseStore::Entry* BaseStore::Recorded(const fs::path& file, const std::string& generated, ZoneKeys& defaults)
{
    std::optional<std::string> relative = RelativeOf(file);
    if (!relative)
        return nullptr;
    Entry& e = m_files[Key(*relative)];
    std::string packed = PackKeys(defaults);
    if (e.size == generated.size() && Names(e.blob, generated) && e.path == *relative && Keys(e) == packed &&
        m_present)
        return nullptr;
    e.defaults = std::move(packed);
    e.length = 0;
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

// The index's lines of an entry: its file and its keys.
void BaseStore::AppendLines(const Entry& e, std::string& text) const
{
    text += "file " + e.blob + "\t" + std::to_string(e.size) + "\t" + e.path + "\n";
    ForEachKey(Keys(e), [&](std::string_view id, std::string_view tag) {
        text.append("default ").append(id).append(1, '\t').append(tag).append(1, '\n');
    });
}

} // namespace VexloRun
