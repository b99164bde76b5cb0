#include "DiagramCommand.h"

#include "Console.h"
#include "ModelSetup.h"
#include "OutputPaths.h"
#include "RegistryTools.h"
#include "RunChecks.h"

#include "HtmlReport.h"
#include "PngWriter.h"
#include "SvgWriter.h"
#include "diagrams/DiagramReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace VexloCli {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

namespace {

// A file name of the package path and the title: blanks and characters that cannot stand
// in a file name become "_", the parts are joined with "-".
std::string FileStem(const Diagram& d)
{
    std::string stem;
    std::vector<std::string> parts = d.path;
    parts.push_back(d.title.empty() ? d.name : d.title);
    for (const std::string& part : parts) {
        if (!stem.empty())
            stem += '-';
        for (unsigned char c : part)
            stem += c < 0x20 || std::string_view(" <>:\"/\\|?*-").find(static_cast<char>(c)) != std::string_view::npos
                        ? '_'
                        : static_cast<char>(c);
    }
    return stem.empty() ? "diagram" : stem;
}

// Paths from UTF-8 text: the same characters on every system, whatever the locale.
std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }

void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        throw CliError(ExitHostError, L"cannot write " + ArgumentText(reinterpret_cast<const char*>(path.u8string().c_str())));
}

bool Matches(const Diagram& d, const std::wstring& wanted)
{
    const std::string w = Narrow(wanted);
    std::string full;
    for (const std::string& p : d.path)
        full += p + "::";
    const std::string title = d.title.empty() ? d.name : d.title;
    full += title;
    return w == title || w == d.name || (full.size() >= w.size() && full.compare(full.size() - w.size(), w.size(), w) == 0 &&
                                         (full.size() == w.size() || full.compare(full.size() - w.size() - 2, 2, "::") == 0));
}

} // namespace

int RunDiagram(const Options& options, const Installation& installation)
{
    if (options.format == L"png" && !VexloDiagram::PngAvailable())
        throw CliError(ExitUsage, L"this vexlo was built without librsvg: --format png is not available, use svg");
    // --out is where the pictures go here, not the model's "Directory".
    Options run = options;
    run.outDir.clear();
    CodePageChoice codePage;
    DiagramReader reader;
    std::shared_ptr<Model> model = LoadForRun(run, installation.executableFolder, codePage, [&](LoadOptions& load) { reader.Attach(load); });
    DiagramSet set = reader.Finish(*model);
    for (const DiagramWarning& w : set.warnings)
        Warn(ArgumentText((w.file + ":" + std::to_string(w.line) + ": " + w.message).c_str()));

    if (!options.diagramName.empty()) {
        std::vector<Diagram> chosen;
        std::vector<std::wstring> names;
        for (Diagram& d : set.diagrams) {
            names.push_back(ArgumentText((d.title.empty() ? d.name : d.title).c_str()));
            if (Matches(d, options.diagramName))
                chosen.push_back(std::move(d));
        }
        if (chosen.empty()) {
            std::wstring close;
            for (const std::wstring& n : CloseMatches(options.diagramName, names))
                close += (close.empty() ? L" (close: " : L", ") + n;
            throw CliError(ExitUsage, L"no diagram is named " + options.diagramName + (close.empty() ? L"" : close + L")"));
        }
        set.diagrams = std::move(chosen);
    }

    const std::filesystem::path out = PathOf(Narrow(options.outDir));
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec)
        throw CliError(ExitHostError, L"cannot create the folder " + options.outDir + L": " + ArgumentText(ec.message().c_str()));

    VexloDiagram::ReportInput report;
    report.model = model.get();
    report.diagrams = &set;
    const PathSymbolLookup lookup = [&options](const std::wstring& symbol) -> std::optional<std::wstring> {
        for (auto it = options.pathMap.rbegin(); it != options.pathMap.rend(); ++it)
            if (it->first == symbol)
                return it->second;
        return ReadRegistryString(HKEY_CURRENT_USER, kPathMapKey, symbol);
    };
    report.componentFile = [&](const Module& m) {
        std::optional<ComponentOutput> o = ComponentOutputOf(*model, m, lookup);
        return o && o->generated ? Narrow(o->path) : std::string();
    };
    VexloDiagram::SvgOptions svg;
    svg.classLink = [](const Class& c) { return "index.html#" + VexloDiagram::ClassAnchor(c); };
    svg.scale *= options.scale;
    std::set<std::string> used;
    const std::string extension = options.format == L"png" ? ".png" : ".svg";
    size_t written = 0, failed = 0;
    for (const Diagram& d : set.diagrams) {
        if (d.Empty()) {
            // Nothing to draw: listed in the report, no blank picture.
            report.svgFiles.emplace_back();
            continue;
        }
        std::string stem = FileStem(d), name = stem + extension;
        for (int n = 2; !used.insert(name).second; ++n)
            name = stem + "-" + std::to_string(n) + extension;
        report.svgFiles.push_back(name);
        const std::string text = VexloDiagram::RenderSvg(d, set, svg);
        const std::filesystem::path file = out / PathOf(name);
        std::string error;
        if (extension == ".svg") {
            WriteFile(file, text);
        } else if (!VexloDiagram::WritePng(installation.executableFolder, text, reinterpret_cast<const char*>(file.u8string().c_str()), error)) {
            // One picture that fails does not stop the others or the report.
            ErrLine(L"vexlo: error: " + ArgumentText((d.file + ":" + std::to_string(d.line) + ": the diagram \"" +
                                                      (d.title.empty() ? d.name : d.title) + "\": " + error).c_str()));
            report.svgFiles.back().clear();
            ++failed;
            continue;
        }
        ++written;
    }
    // A big report keeps its parts in files beside it, which the page loads as they come near.
    report.partsFolder = "index-parts";
    std::vector<VexloDiagram::ReportPart> parts;
    const std::string index = VexloDiagram::RenderIndex(report, &parts);
    std::filesystem::remove_all(out / "index-parts", ec);
    if (!parts.empty()) {
        std::filesystem::create_directories(out / "index-parts", ec);
        for (const VexloDiagram::ReportPart& part : parts)
            WriteFile(out / PathOf(part.file), part.text);
    }
    WriteFile(out / "index.html", index);
    const size_t empty = static_cast<size_t>(std::count_if(set.diagrams.begin(), set.diagrams.end(), [](const Diagram& d) { return d.Empty(); }));
    OutLine(std::to_wstring(written) + L" diagram(s) written to " + options.outDir + L", with index.html" +
            (empty ? L"; " + std::to_wstring(empty) + L" empty diagram(s) skipped" : L"") +
            (failed ? L"; " + std::to_wstring(failed) + L" could not be written" : L""));
    if (failed)
        return ExitHostError;
    return ExitOk;
}

} // namespace VexloCli
