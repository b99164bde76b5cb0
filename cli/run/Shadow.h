// The add-in generates into a shadow of the output folders, never into the user's own:
// a scratch folder with one sub-folder per "Directory" base of the run, each run's old
// files copied in (with consistent line ends), and the model's "Directory" settings
// pointed there. The user's folders change only when the run commits what the shadow
// holds. The shadow is removed when the run ends, also on an error or a request to stop;
// one left by a killed process is removed by the next run.
#pragma once

#include "RunPlan.h"

#include <string>
#include <vector>

namespace VexloCli {

class Shadow {
public:
    explicit Shadow(const RunPlan& plan);
    ~Shadow();
    Shadow(const Shadow&) = delete;
    Shadow& operator=(const Shadow&) = delete;

    // Points every "Directory" setting of the model (both tools, every component
    // package) at the shadow of its base. Done after everything that reads the real ones.
    void Redirect(RoseHost::Model& model, const PathSymbolLookup& lookup) const;

    // Where the add-in writes a planned file in the shadow.
    std::wstring PathOf(const PlannedFile& file) const;

    // A text of the add-in (a log line, an error) with shadow paths told as the real ones.
    std::wstring ToReal(const std::wstring& text) const;

    // The real path of a file the add-in wrote in the shadow; "" when it is not in one.
    std::wstring RealPathOf(const std::wstring& shadowPath) const;

    // Files in the shadow that no planned file names, as real paths where they lie in a
    // base (after the add-in's passes: the commit takes only planned files).
    std::vector<std::wstring> Unplanned() const;

    const std::wstring& Root() const { return m_root; }
    const std::vector<std::wstring>& Folders() const { return m_folders; }

private:
    const RunPlan& m_plan;
    std::wstring m_root;                 // the scratch folder
    std::vector<std::wstring> m_folders; // one per base, same order
};

} // namespace VexloCli
