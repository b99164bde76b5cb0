// The base stores of a run's output folders (one per top folder), and what the run does
// with them: the texts the last run generated for the zone guard, zones saved by earlier
// runs offered back, stale files found (and pruned when asked), and the new state
// recorded as part of the commit.
#pragma once

#include "BaseStore.h"
#include "Journal.h"
#include "RunPlan.h"
#include "zones/ZoneGuard.h"

#include <string>
#include <vector>

namespace VexloCli {

class RunBases {
public:
    // Opens the store of each top folder; says in the log where one is missing although
    // the folder holds generated files (the run then tells the user's lines by their words).
    // A preview changes no store: its notes say what a run that writes would do (Would),
    // or nothing when another command's preview runs before a run that writes (Quiet).
    enum class Notes { Done, Would, Quiet };
    explicit RunBases(const RunPlan& plan, Notes notes = Notes::Done);

    // With the old file's bytes: when the last run generated just those, the base says so
    // (isOld) instead of reading them again.
    std::optional<BaseFile> Generated(const std::wstring& path, const std::string* old = nullptr,
                                      const TextPrint* oldPrint = nullptr) const;
    std::vector<ZoneGuard::SavedZoneRef> SavedZones() const;

    // Files a store knows that no component of the model writes (real paths, "/" separated).
    std::vector<std::wstring> FindStale(const std::vector<std::wstring>& modelFiles);
    const std::vector<std::wstring>& Stale() const { return m_stale; }

    // The new state: each file's new text, the zones saved and brought back, and (with
    // prune) the stale files forgotten after their zones go to the guard's recovery entries.
    // A recorded text is not copied: the caller keeps it, unchanged, until the commit ends.
    bool Holds(const std::wstring& path, const std::string& generated) const;
    void Record(const std::wstring& path, const std::string& generated, ZoneKeys defaults);
    // A text that waits on disk (see HeldText): `generated` may go once this returns.
    void Record(const std::wstring& path, const std::string& generated, const HeldText& held, ZoneKeys defaults);
    void RecordZones(const ZoneGuard& guard);
    void Prune(ZoneGuard& guard);

    // The commit's steps for the stores: written before the first file is replaced (the
    // old index moved aside), finished after, put back on a roll-back; pruned files removed.
    void Begin();
    void End();
    void RolledBack();
    // After the whole commit: the old indexes and the texts nothing names removed.
    void Finish();

private:
    VexloRun::BaseStore* StoreOf(const std::wstring& path);
    static void ForgetLostRecoveries(const std::wstring& top, VexloRun::BaseStore& store, Notes notes);
    const RunPlan& m_plan;
    Notes m_notes;
    std::vector<VexloRun::BaseStore> m_stores; // same order as plan.tops
    std::vector<std::wstring> m_stale;
    std::vector<std::wstring> m_pruned;
};

} // namespace VexloCli
