#include "RunBases.h"

#include "Console.h"
#include "RunFiles.h"

#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <set>

namespace VexloCli {

RunBases::RunBases(const RunPlan& plan, Notes notes) : m_plan(plan), m_notes(notes)
{
    for (const std::wstring& top : plan.tops) {
        m_stores.push_back(VexloRun::BaseStore::Open(PathOf(Slashed(top))));
        if (m_stores.back().Present()) {
            ForgetLostRecoveries(top, m_stores.back(), notes);
            continue;
        }
        // A first run into an empty folder has nothing to say.
        bool old = false;
        for (const PlannedFile& file : plan.files)
            old = old || (plan.TopOf(file.path) == m_stores.size() - 1 &&
                          GetFileAttributesW(file.path.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (old && notes != Notes::Quiet)
            OutLine(L"vexlo: " + Slashed(top) + L": no base store (" + Ansi(m_stores.back().WhyAbsent()) +
                    L"); lines outside the preserved zones are told from generated ones by their words, and zones "
                    L"are carried as they are. " +
                    (notes == Notes::Would ? L"A run that writes makes a new one." : L"This run writes a new one."));
    }
}

// A zone saved to a recovery file that the user has since deleted is nowhere to be
// brought back from: its record goes, so that no later run looks for it again.
void RunBases::ForgetLostRecoveries(const std::wstring& top, VexloRun::BaseStore& store, Notes notes)
{
    const std::vector<VexloRun::SavedZone> saved = store.Saved();
    for (const VexloRun::SavedZone& z : saved) {
        std::wstring recovery = Slashed(top) + L"/" + Ansi(z.recovery);
        if (GetFileAttributesW(recovery.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            continue; // there, but not to be looked at now: the record stays
        store.ForgetSaved(z.id, z.tag);
        if (notes != Notes::Quiet)
            OutLine(L"vexlo: " + recovery + L" is gone, and with it the zone " + Ansi(z.id) + L"." + Ansi(z.tag) +
                    L" an earlier run saved there; " +
                    (notes == Notes::Would ? L"a run that writes would have the base store forget it (this one changes "
                                             L"nothing)"
                                           : L"the base store no longer looks for it"));
    }
}

VexloRun::BaseStore* RunBases::StoreOf(const std::wstring& path)
{
    size_t top = m_plan.TopOf(path);
    return top < m_stores.size() ? &m_stores[top] : nullptr;
}

std::optional<BaseFile> RunBases::Generated(const std::wstring& path, const std::string* old,
                                            const TextPrint* oldPrint) const
{
    size_t top = m_plan.TopOf(path);
    if (top >= m_stores.size() || !m_stores[top].Present())
        return std::nullopt;
    if (old && m_stores[top].Holds(PathOf(Slashed(path)), *old, oldPrint))
        return BaseFile{std::string(), m_stores[top].Defaults(PathOf(Slashed(path))), true};
    std::optional<std::string> text = m_stores[top].Generated(PathOf(Slashed(path)));
    if (!text) {
        // Its text is checked against its name when read; the machine's crash after a run
        // can leave it short, since the store's texts are not flushed.
        if (m_notes != Notes::Quiet && m_stores[top].Knows(PathOf(Slashed(path))))
            OutLine(L"vexlo: " + Slashed(path) + L": the base store's text of this file is missing or damaged; "
                    L"lines outside the preserved zones are told from generated ones by their words, and zones "
                    L"are carried as they are");
        return std::nullopt;
    }
    return BaseFile{std::move(*text), m_stores[top].Defaults(PathOf(Slashed(path)))};
}

std::vector<ZoneGuard::SavedZoneRef> RunBases::SavedZones() const
{
    std::vector<ZoneGuard::SavedZoneRef> zones;
    for (size_t i = 0; i < m_stores.size(); ++i)
        for (const VexloRun::SavedZone& z : m_stores[i].Saved())
            zones.push_back({Slashed(m_plan.tops[i]) + L"/" + Ansi(z.recovery), z.id, z.tag});
    return zones;
}

std::vector<std::wstring> RunBases::FindStale(const std::vector<std::wstring>& modelFiles)
{
    std::set<std::wstring> written;
    for (const std::wstring& file : modelFiles)
        written.insert(Lower(Slashed(file)));
    for (size_t i = 0; i < m_stores.size(); ++i)
        for (const std::string& relative : m_stores[i].Files()) {
            std::wstring path = Slashed(m_plan.tops[i]) + L"/" + Ansi(relative);
            if (!written.count(Lower(path)) && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
                m_stale.push_back(path);
        }
    return m_stale;
}

bool RunBases::Holds(const std::wstring& path, const std::string& generated) const
{
    size_t top = m_plan.TopOf(path);
    return top < m_stores.size() && m_stores[top].Holds(PathOf(Slashed(path)), generated);
}

void RunBases::Record(const std::wstring& path, const std::string& generated, ZoneKeys defaults)
{
    if (VexloRun::BaseStore* store = StoreOf(path))
        store->Record(PathOf(Slashed(path)), generated, std::move(defaults));
}

void RunBases::Record(const std::wstring& path, const std::string& generated, const HeldText& held,
                      ZoneKeys defaults)
{
    if (VexloRun::BaseStore* store = StoreOf(path))
        store->Record(PathOf(Slashed(path)), generated, held, std::move(defaults));
}

void RunBases::RecordZones(const ZoneGuard& guard)
{
    for (const RecoveryEntry& e : guard.Recovery()) {
        VexloRun::BaseStore* store = StoreOf(e.recovery);
        std::optional<std::string> relative = store ? store->RelativeOf(PathOf(e.recovery)) : std::nullopt;
        if (!e.id.empty() && relative)
            store->RecordSaved({e.id, e.tag, *relative});
    }
    for (const CarriedZone& c : guard.Carried())
        if (c.fromRecovery)
            if (VexloRun::BaseStore* store = StoreOf(c.from))
                store->ForgetSaved(c.id, c.tag);
}

void RunBases::Prune(ZoneGuard& guard)
{
    for (const std::wstring& path : m_stale) {
        std::optional<std::string> text = ReadWhole(path);
        if (!text)
            throw CliError(ExitUserText, path + L": the stale file cannot be read (" + LastErrorText() +
                                             L"), so its zones cannot be saved before it is removed; nothing was "
                                             L"written.");
        std::optional<BaseFile> base = Generated(path);
        guard.SaveRetired(path, *text, base ? std::optional<std::string>(base->text) : std::nullopt);
        if (VexloRun::BaseStore* store = StoreOf(path))
            store->Forget(PathOf(path));
        m_pruned.push_back(path);
    }
}

void RunBases::Begin()
{
    for (size_t i = 0; i < m_stores.size(); ++i)
        if (!m_stores[i].BeginCommit())
            throw CliError(ExitHostError, Slashed(m_plan.tops[i]) + L"/.vexlo/base: the base store cannot be written: " +
                                              LastErrorText() + L".");
}

void RunBases::End()
{
    for (size_t i = 0; i < m_stores.size(); ++i)
        if (!m_stores[i].EndCommit())
            throw CliError(ExitHostError, Slashed(m_plan.tops[i]) + L"/.vexlo/base/index: the base store cannot be "
                                                                     L"written: " + LastErrorText() + L".");
    // Their zones are in the recovery files and the store no longer names them.
    for (const std::wstring& path : m_pruned) {
        if (DeleteFileW(path.c_str()))
            OutLine(L"vexlo: removed the stale file " + path);
        else
            Warn(path + L": the stale file cannot be removed: " + LastErrorText());
    }
}

void RunBases::Finish()
{
    for (VexloRun::BaseStore& store : m_stores)
        store.FinishCommit(); // what is left stays until the next commit: nothing depends on it
}

void RunBases::RolledBack()
{
    for (VexloRun::BaseStore& store : m_stores)
        store.RestoreIndex();
}

} // namespace VexloCli
