#include "Shadow.h"

#include "Console.h"
#include "ModelSetup.h"
#include "RunFiles.h"

#include "vxplat/Crt.h"
#include "vxplat/Durability.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"
#include "vxplat/Scratch.h"

#include <atomic>
#include <filesystem>
#include <set>

namespace VexloCli {

using namespace RoseHost;
namespace fs = std::filesystem;

namespace {

const wchar_t kPrefix[] = L"vexlo-shadow-";

std::wstring Upper(std::wstring text)
{
    if (!text.empty())
        _wcsupr(text.data());
    return text;
}

// Scratch folders of processes that no longer run (killed before they could clean up),
// also one of an earlier process that had this process's number (wine hands out the
// same few numbers again and again): this process has made only those numbered below
// `next`.
void RemoveStale(const fs::path& temp, int next)
{
    std::error_code error;
    for (fs::directory_iterator it(temp, error), end; !error && it != end; it.increment(error)) {
        std::wstring name = WideOf(it->path().filename());
        if (name.compare(0, std::size(kPrefix) - 1, kPrefix) != 0)
            continue;
        wchar_t* rest = nullptr;
        unsigned long pid = std::wcstoul(name.c_str() + std::size(kPrefix) - 1, &rest, 10);
        bool earlierOfThisNumber = pid == GetCurrentProcessId() && *rest == L'-' && std::wcstol(rest + 1, nullptr, 10) >= next;
        std::error_code ignored;
        if (pid && (earlierOfThisNumber || (pid != GetCurrentProcessId() && !VxpProcessAlive(pid))) &&
            VxpFaultBeforeChange())
            fs::remove_all(it->path(), ignored);
    }
}

void RemoveShadow(const std::wstring& root)
{
    VxpSetScratchFolder(nullptr);
    // Still removed by a request to stop that comes meanwhile; one a fault leaves (or a
    // kill) goes with the next run.
    std::error_code error;
    if (VxpFaultBeforeChange())
        fs::remove_all(VexloCli::PathOf(root), error);
    VxpRemoveOnTermination(nullptr);
}

} // namespace

Shadow::Shadow(const RunPlan& plan) : m_plan(plan)
{
    std::wstring warning, why;
    const std::wstring scratch = VxpUserScratchFolder(&warning, &why);
    if (!warning.empty())
        Warn(warning);
    if (scratch.empty())
        throw CliError(ExitHostError, why + L"; the run needs a scratch folder there, and nothing was written. Set "
                                            L"TMPDIR to a folder of your own and run again.");
    fs::path temp = VexloCli::PathOf(scratch);
    static std::atomic<int> count{0};
    RemoveStale(temp, count);
    for (;;) {
        std::wstring folder = WideOf(temp / (std::wstring(kPrefix) + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                             std::to_wstring(count++)));
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            m_root = folder;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw CliError(ExitHostError, folder + L": the run's scratch folder cannot be created: " + LastErrorText() +
                                              L"; nothing was written.");
    }
    VxpRemoveOnTermination(m_root.c_str());
    // What the add-in writes here is read back and committed by the run, which flushes
    // the real files; flushing the shadow's would only wait for the disk twice.
    VxpSetScratchFolder(m_root.c_str());
    for (size_t i = 0; i < plan.bases.size(); ++i) {
        m_folders.push_back(m_root + L"/b" + std::to_wstring(i));
        if (!CreateDirectoryW(m_folders.back().c_str(), nullptr)) {
            std::wstring why = LastErrorText();
            RemoveShadow(m_root); // no destructor runs for a constructor that throws
            throw CliError(ExitHostError, m_folders.back() + L": the run's scratch folder cannot be created: " + why +
                                              L"; nothing was written.");
        }
    }
}

Shadow::~Shadow() { RemoveShadow(m_root); }

void Shadow::Redirect(Model& model, const PathSymbolLookup& lookup) const
{
    auto shadowOf = [this](const std::wstring& folder) -> std::wstring {
        for (size_t i = 0; i < m_plan.bases.size(); ++i)
            if (Lower(Slashed(m_plan.bases[i])) == Lower(Slashed(folder)))
                return m_folders[i];
        return m_root; // not a base of the run: still nothing real is touched
    };
    for (const wchar_t* tool : {L"Delphi", L"C#"}) {
        std::wstring value = ExpandPathSymbol(model.GetPropertyValue(model, tool, L"Directory"), lookup);
        SetOwnProperty(model, tool, L"Directory", shadowOf(value));
        for (Subsystem* subsystem : model.allSubsystems) {
            std::wstring own = ExpandPathSymbol(model.GetPropertyValue(*subsystem, tool, L"Directory"), lookup);
            if (!IsDirectoryKeyword(own))
                SetOwnProperty(*subsystem, tool, L"Directory", shadowOf(Upper(own)));
        }
    }
}

std::wstring Shadow::PathOf(const PlannedFile& file) const { return m_folders[file.base] + L"\\" + file.relative; }

std::wstring Shadow::ToReal(const std::wstring& text) const
{
    // The add-in may have upper-cased a package's folder: look for it in any letter case.
    std::wstring result = text, lower = Lower(text);
    for (size_t i = m_folders.size(); i-- > 0;) {
        std::wstring folder = Lower(m_folders[i]);
        for (size_t at = lower.find(folder); at != std::wstring::npos; at = lower.find(folder, at + 1)) {
            size_t after = at + folder.size();
            if (after < lower.size() && lower[after] != L'\\' && lower[after] != L'/')
                continue; // "b1" inside "b12"
            result.replace(at, folder.size(), m_plan.bases[i]);
            lower.replace(at, folder.size(), Lower(m_plan.bases[i]));
        }
    }
    return result;
}

std::wstring Shadow::RealPathOf(const std::wstring& shadowPath) const
{
    for (size_t i = 0; i < m_folders.size(); ++i)
        if (std::optional<std::wstring> rest = Below(m_folders[i], shadowPath))
            return rest->empty() ? m_plan.bases[i] : m_plan.bases[i] + L"\\" + *rest;
    return std::wstring();
}

std::vector<std::wstring> Shadow::Unplanned() const
{
    auto normal = [](const std::wstring& path) {
        return Lower(WideOf(VexloCli::PathOf(Slashed(path)).lexically_normal()));
    };
    std::set<std::wstring> planned;
    for (const PlannedFile& file : m_plan.files)
        planned.insert(normal(PathOf(file)));
    std::vector<std::wstring> strays;
    std::error_code error;
    for (fs::recursive_directory_iterator it(VexloCli::PathOf(m_root), error), end; !error && it != end;
         it.increment(error)) {
        std::wstring path = WideOf(it->path());
        if (!it->is_directory(error) && !planned.count(normal(path))) {
            std::wstring real = RealPathOf(path);
            strays.push_back(real.empty() ? path : Slashed(real));
        }
    }
    return strays;
}

} // namespace VexloCli
