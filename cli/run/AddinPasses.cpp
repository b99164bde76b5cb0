#include "run/AddinPasses.h"

#include "Automation.h"
#include "Console.h"
#include "FailureNotes.h"
#include "RegistryTools.h"
#include "RunChecks.h"
#include "run/RunFiles.h"
#include "run/RunPlan.h"
#include "run/RunReport.h"
#include "run/Shadow.h"

#include "vxplat/Kernel.h"

#include <optional>
#include <vector>

namespace VexloCli {

using namespace RoseHost;

namespace {

const wchar_t* const kLanguages[] = {L"Delphi", L"C#"};

std::wstring ProgIdOf(const std::wstring& language)
{
    return language == L"Delphi" ? L"Vexlo.VXRoseDelphiAddin" : L"Vexlo.VXRoseCSharpAddin";
}

// Releases the application object and puts the real executable back on every way out.
struct HostSession {
    IDispatch* application = nullptr;
    bool imagePathSet = false;
    ~HostSession()
    {
        if (application)
            application->Release();
        if (imagePathSet)
            VxpSetProcessImagePath(nullptr);
    }
};

struct LoadedAddin {
    std::wstring language;
    std::unique_ptr<Addin> addin;
    bool active = false;
};

void PrintFailure(const std::wstring& what, const CallFailure& failure, const Shadow& shadow)
{
    ErrLine(L"vexlo: " + what + L" failed with HRESULT " + HexCode(failure.hr));
    if (!failure.description.empty())
        ErrLine(shadow.ToReal(failure.description));
    if (!failure.source.empty())
        ErrLine(L"source: " + failure.source);
}

// One run's host: the stand-in Rose application and the add-ins loaded into it. The
// members are destroyed add-ins first, then the host, then the application object.
class AddinPasses {
public:
    AddinPasses(const Options& options, const Installation& installation, const HostTrace& trace,
                const std::shared_ptr<Model>& model, const std::map<std::wstring, Selection>& work,
                const RunPlan& plan, const Shadow& shadow, RunReport& report, bool preview);
    AddinPasses(const AddinPasses&) = delete;
    AddinPasses& operator=(const AddinPasses&) = delete;

    void Activate();
    void GenerationPass(std::map<std::wstring, Selection>& work);
    void Deactivate();
    int ExitCode() const { return m_exitCode; }

private:
    void StartHost(const Installation& installation);
    void Generate(LoadedAddin& a);
    void ChooseFromMenu(LoadedAddin& a);
    void Fail(const LoadedAddin& a, const wchar_t* method);

    const Options& m_options;
    const HostTrace& m_trace;
    std::shared_ptr<Model> m_model;
    const RunPlan& m_plan;
    const Shadow& m_shadow;
    RunReport& m_report;
    const bool m_preview;
    HostSession m_session;
    AutomationHost m_host;
    std::wstring m_lastFile; // the file the add-in said it writes last
    std::vector<LoadedAddin> m_addins;
    CallFailure m_failure;
    int m_exitCode = ExitOk;
};

AddinPasses::AddinPasses(const Options& options, const Installation& installation, const HostTrace& trace,
                         const std::shared_ptr<Model>& model, const std::map<std::wstring, Selection>& work,
                         const RunPlan& plan, const Shadow& shadow, RunReport& report, bool preview)
    : m_options(options), m_trace(trace), m_model(model), m_plan(plan), m_shadow(shadow), m_report(report),
      m_preview(preview), m_host(model)
{
    StartHost(installation);
    for (const wchar_t* language : kLanguages)
        if (work.count(language))
            m_addins.push_back({language, Addin::Create(ProgIdOf(language), installation.modulePath, trace), false});
}

// The executable the add-in sees, the add-in's log, the failures asked for, and the
// application object.
void AddinPasses::StartHost(const Installation& installation)
{
    std::wstring image = HostImagePath(m_options.host);
    if (VxpSetProcessImagePath(image.c_str())) {
        m_session.imagePathSet = true;
        m_trace(L"executable " + image);
    } else if (m_options.hostGiven) {
        Warn(L"--host is only honoured through the real executable name here (the add-in sees " +
             installation.executablePath + L")");
    }
    m_host.SetLogSink([this](const std::wstring& line) {
        std::wstring real = m_shadow.ToReal(line);
        if (size_t to = real.rfind(L" to "); real.compare(0, 6, L"Class ") == 0 && to != std::wstring::npos)
            m_lastFile = real.substr(to + 4);
        if (!m_preview)
            OutLine(real);
    });
    for (const FailureOption& failure : m_options.failures)
        m_host.SetFailure(failure.member, static_cast<HRESULT>(failure.hresult), failure.times);
    m_session.application = m_host.CreateApplication();
}

void AddinPasses::Fail(const LoadedAddin& a, const wchar_t* method)
{
    PrintFailure(a.addin->ProgId() + L"." + method, m_failure, m_shadow);
    std::wstring description = m_shadow.ToReal(m_failure.description);
    // The file the failure names, or else the one being written, tells the component.
    std::wstring element;
    for (const PlannedFile& file : m_plan.files) {
        std::wstring path = Lower(file.path);
        if (Lower(description).find(path) != std::wstring::npos || Lower(m_lastFile) == path)
            element = L"component " + QualifiedName(*file.module) + L" (file " + Slashed(file.path) + L")";
    }
    if (element.empty())
        element = DescribeLastHanded(*m_model, m_host.LastHanded(ElementKind::Module),
                                     m_host.LastHanded(ElementKind::Class));
    for (const std::wstring& line : ExplainFailure(m_failure.hr, description, element))
        ErrLine(line);
    m_report.Message(L"error", a.addin->ProgId() + L"." + method + L" failed: " + description);
    m_exitCode = ExitHostError;
}

void AddinPasses::Activate()
{
    for (LoadedAddin& a : m_addins) {
        size_t before = m_host.ContextMenuItems().size();
        if (!a.addin->Call(L"OnActivate", m_session.application, nullptr, nullptr, m_failure)) {
            Fail(a, L"OnActivate");
            return;
        }
        a.active = true;
        std::vector<ContextMenuItemRecord> items = m_host.ContextMenuItems();
        for (size_t i = before; i < items.size(); ++i)
            m_trace(L"menu item added through " + Quoted(items[i].addIn) + L": type " +
                    std::to_wstring(items[i].itemType) + L" " + Quoted(items[i].caption) + L" (" +
                    items[i].internalName + L")");
    }
}

void AddinPasses::GenerationPass(std::map<std::wstring, Selection>& work)
{
    for (LoadedAddin& a : m_addins) {
        if (m_exitCode != ExitOk)
            return;
        const Selection& mine = work[a.language];
        m_host.SetSelection(mine.classes, mine.modules);
        std::vector<std::wstring> classNames, moduleNames;
        for (Class* c : mine.classes)
            classNames.push_back(QualifiedName(*c));
        for (Module* m : mine.modules)
            moduleNames.push_back(QualifiedName(*m));
        m_trace(L"selection for " + a.language + L": classes " + Names(classNames) + L"; components " +
                Names(moduleNames));
        if (m_options.menu)
            ChooseFromMenu(a);
        else
            Generate(a);
    }
}

void AddinPasses::Generate(LoadedAddin& a)
{
    if (!a.addin->Call(L"OnGenerateCode", m_session.application, nullptr, nullptr, m_failure))
        Fail(a, L"OnGenerateCode");
}

// As a user opening the context menu and picking "Generate Code".
void AddinPasses::ChooseFromMenu(LoadedAddin& a)
{
    std::optional<SHORT> menuType;
    for (const ContextMenuItemRecord& item : m_host.ContextMenuItems())
        if (item.addIn == a.language && item.internalName == L"CODEGEN") {
            menuType = item.itemType;
            break;
        }
    if (!menuType) {
        Warn(L"the " + a.language + L" add-in added no \"Generate Code\" menu item;"
             L" choosing CODEGEN anyway");
    } else if (!a.addin->Call(L"OnEnableContextMenuItems", m_session.application, nullptr, &*menuType, m_failure)) {
        Fail(a, L"OnEnableContextMenuItems");
        return;
    }
    const std::wstring codegen = L"CODEGEN";
    if (!a.addin->Call(L"OnSelectedContextMenuItem", m_session.application, &codegen, nullptr, m_failure))
        Fail(a, L"OnSelectedContextMenuItem");
}

// As when Rose closes: every active add-in is deactivated, also after a failure.
void AddinPasses::Deactivate()
{
    for (LoadedAddin& a : m_addins) {
        if (!a.active)
            continue;
        CallFailure deactivation;
        if (!a.addin->Call(L"OnDeactivate", m_session.application, nullptr, nullptr, deactivation)) {
            PrintFailure(a.addin->ProgId() + L".OnDeactivate", deactivation, m_shadow);
            m_exitCode = ExitHostError;
        }
    }
    m_addins.clear();
}

} // namespace

int RunAddins(const Options& options, const Installation& installation, const HostTrace& trace,
              const std::shared_ptr<Model>& model, std::map<std::wstring, Selection>& work, const RunPlan& plan,
              const Shadow& shadow, ZoneGuard& zoneGuard, const ZoneGuard::NewPath& newPath, RunReport& report,
              bool preview)
{
    AddinPasses passes(options, installation, trace, model, work, plan, shadow, report, preview);
    passes.Activate();
    passes.GenerationPass(work);
    // Zones whose element moved to another file of the run are placed by a second pass.
    if (passes.ExitCode() == ExitOk && zoneGuard.CarryDroppedZones(newPath))
        passes.GenerationPass(work);
    passes.Deactivate();
    return passes.ExitCode();
}

} // namespace VexloCli
