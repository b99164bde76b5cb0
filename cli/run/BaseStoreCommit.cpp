// The base store's commit: the new texts and the old index aside first, the new index
// after the files are in place, the old index back on a roll-back, and what nothing names
// any more removed once the whole commit stands.
#include "BaseStore.h"

#include "Console.h"
#include "RunFiles.h"

#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <set>

namespace VexloRun {

namespace fs = std::filesystem;
using namespace VexloCli;

namespace {

std::wstring Wide(const fs::path& path) { return WideOf(path); }

} // namespace

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
    // The new texts first; a text already there is the same text.
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
    // Then the old index goes aside: from here on until EndCommit the store is absent. It
    // stays there, for the entries' keys and for RestoreIndex, until FinishCommit.
    const std::wstring index = Wide(folder / "index"), aside = Wide(folder / "index.old");
    if (GetFileAttributesW(index.c_str()) != INVALID_FILE_ATTRIBUTES) {
        m_index.Close(); // a file open here cannot be renamed everywhere
        if (!MoveFileExW(index.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))
            return false;
        m_movedAside = true;
        m_indexPath = aside;
    }
    return VxpFlushFolder(wideFolder.c_str());
}

bool BaseStore::EndCommit()
{
    if (!m_changed && m_present)
        return true;
    const fs::path folder = m_output / ".vexlo" / "base";
    std::wstring indexPath = Wide(folder / "index");
    if (IsSymbolicLink(indexPath)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // Written a piece at a time: at tens of thousands of classes the index is tens of
    // megabytes, and whole it would stand beside the model at the run's peak.
    auto next = m_files.begin();
    auto piece = [&](std::string& text) {
        if (next == m_files.begin())
            text.append(kIndexMagic).append(1, '\n');
        for (; next != m_files.end() && text.size() < (1u << 20); ++next) {
            AppendLines(next->second, text);
        }
        if (next != m_files.end())
            return true;
        for (const SavedZone& z : m_saved)
            text += "saved " + z.id + "\t" + z.tag + "\t" + z.recovery + "\n";
        text += "end\n";
        return false;
    };
    if (!ReplaceDurably(indexPath, piece))
        return false;
    m_wroteIndex = true;
    for (auto& [key, e] : m_files) {
        e.pending = nullptr;
        e.held = nullptr;
    }
    m_present = true;
    m_changed = false;
    return true;
}

bool BaseStore::FinishCommit()
{
    if (!m_wroteIndex)
        return true;
    const fs::path folder = m_output / ".vexlo" / "base";
    std::set<std::string> used;
    for (const auto& [key, e] : m_files)
        used.insert(e.blob);
    m_index.Close();
    m_movedAside = m_wroteIndex = false;
    m_indexPath.clear(); // nothing is read from it any more
    bool ok = DeleteFileW(Wide(folder / "index.old").c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    // Texts that no file names any more.
    std::error_code code;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        std::string name = Narrow(WideOf(it->path().filename()));
        const bool text = name.size() == 32 || (name.size() == 33 && name[0] == 'p'); // this or an earlier version's
        if (text && !used.count(name))
            DeleteFileW(Wide(it->path()).c_str());
    }
    return ok;
}

bool BaseStore::RestoreIndex()
{
    if (!m_movedAside && !m_wroteIndex)
        return true;
    const fs::path folder = m_output / ".vexlo" / "base";
    const std::wstring index = Wide(folder / "index"), aside = Wide(folder / "index.old");
    if (IsSymbolicLink(index)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    bool ok = true;
    if (m_movedAside) {
        m_index.Close();
        ok = MoveFileExW(aside.c_str(), index.c_str(), MOVEFILE_REPLACE_EXISTING);
        m_movedAside = !ok;
        if (ok)
            m_indexPath = index;
    } else if (m_wroteIndex) { // there was none before
        ok = DeleteFileW(index.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    m_wroteIndex = m_wroteIndex && !ok;
    return ok && VxpFlushFolder(Wide(folder).c_str());
}

} // namespace VexloRun
