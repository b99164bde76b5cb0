#include "RunLint.h"

#include "Sarif.h"

#include "Console.h"
#include "ModelSetup.h"
#include "OutputPaths.h"
#include "RegistryTools.h"
#include "RunChecks.h"
#include "zones/ZoneScan.h"
#include "run/RunFiles.h"
#include "run/RunPlan.h"
#include "run/RunReport.h"

#include "vxplat/Files.h"

#include <map>

namespace VexloCli {

using namespace RoseHost;

namespace {

// --known-types: one name a line; blanks, empty lines and "#" comments are passed over.
std::vector<std::wstring> ReadKnownTypes(const std::wstring& file)
{
    std::optional<std::string> text = ReadWhole(file);
    if (!text)
        throw CliError(ExitModelLoad, file + L": the list of known types cannot be read: " + LastErrorText());
    std::vector<std::wstring> names;
    std::string line;
    for (size_t start = 0; start < text->size();) {
        size_t end = text->find('\n', start);
        line = text->substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text->size() : end + 1;
        line = line.substr(0, line.find('#'));
        size_t first = line.find_first_not_of(" \t\r"), last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos)
            names.push_back(Ansi(line.substr(first, last - first + 1)));
    }
    return names;
}

// The zones of the components' existing files, each file read once.
class OldZones {
public:
    OldZones(const Model& model, PathSymbolLookup lookup) : m_model(model), m_lookup(std::move(lookup)) {}

    std::optional<std::string> Find(const Module& module, const std::wstring& scope, const std::wstring& tag)
    {
        auto [it, added] = m_files.try_emplace(&module);
        OldFile& file = it->second;
        if (added) {
            std::optional<ComponentOutput> out = ComponentOutputOf(m_model, module, m_lookup);
            if (out && out->generated)
                if (std::optional<std::string> text = ReadWhole(out->path)) {
                    file.text = std::move(*text);
                    file.zones = ScanZoneText(file.text).zones;
                }
        }
        const std::string wantScope = Narrow(scope), wantTag = Narrow(tag);
        for (const ScannedZone& zone : file.zones)
            if (zone.scope == wantScope && zone.tag == wantTag)
                return file.text.substr(zone.textStart, zone.textEnd - zone.textStart);
        return std::nullopt;
    }

private:
    struct OldFile {
        std::string text;
        std::vector<ScannedZone> zones;
    };
    const Model& m_model;
    PathSymbolLookup m_lookup;
    std::map<const Module*, OldFile> m_files;
};

} // namespace

LintRun LintModelFile(const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, installation.executableFolder, codePage);
    Selection selection = SelectElements(*model, {}, options.components);

    std::vector<const Module*> modules;
    for (const Module* module : selection.modules)
        if (module->language == L"Delphi" || module->language == L"C#")
            modules.push_back(module);
    OldZones zones(*model, PathMapLookup(options.pathMap));
    LintRun run;
    run.components = modules.size();
    for (const Module* module : modules)
        run.selected.push_back(QualifiedName(*module));
    VexloLint::LintSettings settings;
    if (!options.knownTypes.empty())
        settings.knownTypes = ReadKnownTypes(options.knownTypes);
    if (!options.typeMap.empty())
        settings.typeMap = &TypeMapOf(options.typeMap);
    run.findings = VexloLint::LintComponents(
        *model, modules,
        [&zones](const Module& module, const std::wstring& scope, const std::wstring& tag) {
            return zones.Find(module, scope, tag);
        },
        settings);
    // What generate refuses, as findings of their own.
    for (const PlanConflict& conflict : FindConflicts(*model, modules, PathMapLookup(options.pathMap))) {
        const Element& element = *conflict.element;
        run.findings.push_back({element.SourceFile(), element.line, element.name.str(),
                                conflict.what.rfind(L"file", 0) == 0 ? L"one-file-one-component" : L"one-id-one-element",
                                DescribeConflict(*model, conflict), conflict.fix});
    }
    return run;
}

int RunLint(const Options& options, const Installation& installation)
{
    RunReport report;
    report.model = options.path;
    report.language = options.language;
    report.mode = L"lint";
    report.components = options.components;
    ObserveWarnings([&report](const std::wstring& text) { report.Message(L"warning", text); });
    auto finish = [&](int code) {
        ObserveWarnings(nullptr);
        if (!options.report.empty() && !report.Write(options.report, ProcessExitCode(code, GivesVerdict(options))))
            ErrLine(L"vexlo: the report " + options.report + L" cannot be written: " + LastErrorText());
        return code;
    };
    LintRun run;
    try {
        run = LintModelFile(options, installation);
    } catch (const CliError& error) {
        report.Message(L"error", error.Message());
        finish(error.ExitCode());
        throw;
    }
    report.Time("lint");
    report.components = run.selected;
    for (VexloLint::Finding& finding : run.findings) {
        finding.file = ReportPath(finding.file); // one form for editors and problem matchers
        if (options.format == L"text")
            OutLine(VexloLint::FindingText(finding));
        report.findings.push_back({finding.file, finding.line, finding.path, finding.rule, finding.message, finding.fix});
        report.Entry(L"finding", finding.rule + L": " + finding.path + L": " + finding.message + L". Fix: " + finding.fix + L".",
                     finding.file, finding.line);
    }
    if (options.format == L"sarif") {
        std::string log = SarifLog(run.findings, ArgumentText(VEXLO_VERSION), Slashed(AbsoluteFolder(L".")));
        std::fwrite(log.data(), 1, log.size(), stdout);
        std::fflush(stdout);
    }
    auto say = [&](const std::wstring& line) { options.format == L"sarif" ? ErrLine(line) : OutLine(line); };
    std::wstring components = std::to_wstring(run.components) + (run.components == 1 ? L" component" : L" components");
    if (run.findings.empty()) {
        say(L"vexlo lint: no findings in " + components);
        return finish(ExitOk);
    }
    say(L"vexlo lint: " + std::to_wstring(run.findings.size()) +
            (run.findings.size() == 1 ? L" finding" : L" findings") + L" in " + components +
            L"; the compilers would reject the generated code");
    return finish(ExitDifferences);
}

} // namespace VexloCli
