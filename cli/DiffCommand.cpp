// vexlo diff OLD.mdl NEW.mdl | --git REV [MODEL.mdl]; also git's external diff driver,
// which passes seven arguments (path, old file, old hash, old mode, new file, new hash,
// new mode).
#include "DiffCommand.h"

#include "Console.h"
#include "ModelSetup.h"
#include "OutputPaths.h"
#include "RegistryTools.h"
#include "RunChecks.h"
#include "diff/CodeImpact.h"
#include "diff/CodePreview.h"
#include "diff/GitSource.h"

#include "ModelDiff.h"
#include "PicturesPage.h"
#include "Report.h"
#include "diagrams/DiagramReader.h"

#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <optional>

namespace VexloCli {

using namespace RoseHost;
using namespace RoseHost::Diagrams;
namespace fs = std::filesystem;

namespace {

struct Side {
    std::shared_ptr<Model> model;
    DiagramSet diagrams;
    std::string name; // as shown in reports
    std::wstring path; // the file loaded ("" for no model)
};

// Reading diagrams needs each file's document tree, which costs more than the model
// itself: a model file that holds no diagram and names no unit (where diagrams could be)
// is read without it.
bool MayHoldDiagrams(const std::wstring& path)
{
    std::ifstream in(fs::path(path), std::ios::binary | std::ios::ate);
    std::string text(static_cast<size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    return !in || text.find("Diagram") != std::string::npos || text.find("file_name") != std::string::npos;
}

// Loaded as `show` loads a model (the same warnings), with its diagrams; the folders are
// left as the file says, so that a "Directory" change reads as written.
Side Load(const Options& options, const std::wstring& path, const std::wstring& name, const Installation& installation,
          const GitRevision* git)
{
    Side side;
    side.name = Narrow(name);
    if (path == L"/dev/null" || path == L"nul") { // git: the file is new, or deleted
        side.model = std::make_shared<Model>();
        return side;
    }
    side.path = path;
    Options run = options;
    run.path = path;
    const std::wstring properties = FindPropertiesFolder(installation.executableFolder);
    if (properties.empty())
        Warn(L"the property sets Delphi.pty and CSharp.pty were not found; only the model's own properties apply");
    CodePageChoice codePage = ChooseCodePage(run);
    ApplyCodePage(codePage);
    run.codePage = codePage.codePage;
    DiagramReader reader;
    try {
        const bool diagrams = MayHoldDiagrams(path);
        side.model = LoadModel(run, properties, [&](LoadOptions& load) {
            if (diagrams)
                reader.Attach(load);
        });
    } catch (const CliError& error) {
        throw CliError(error.ExitCode(), git ? git->Mapped(error.Message()) : error.Message());
    }
    side.diagrams = reader.Finish(*side.model);
    ReportUnresolved(*side.model);
    return side;
}

// The report is UTF-8 already: written as it is.
void OutText(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string FolderOf(const std::wstring& path)
{
    const size_t sep = path.rfind(L'\\');
    return Narrow(sep == std::wstring::npos ? std::wstring() : path.substr(0, sep));
}

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        throw CliError(ExitHostError, L"cannot write " + file.wstring());
}

std::string WritePictures(const Options& options, const Side& before, const Side& after, const VexloDiff::DiffResult& result)
{
    const fs::path dir(options.pictures);
    std::error_code error;
    fs::create_directories(dir, error);
    if (error)
        throw CliError(ExitHostError, L"cannot create the folder " + options.pictures + L": " + ArgumentText(error.message().c_str()));
    const std::vector<VexloDiff::PicturePage> pages =
        VexloDiff::PicturePages(before.diagrams, after.diagrams, result, before.name, after.name);
    for (const VexloDiff::PicturePage& page : pages)
        WriteText(dir / fs::path(std::u8string(page.fileName.begin(), page.fileName.end())), page.html);
    WriteText(dir / "index.html", VexloDiff::PicturesIndex(pages, before.name, after.name));
    ErrLine(L"vexlo: " + std::to_wstring(pages.size()) + L" changed diagram(s) drawn in " + options.pictures + L"/index.html");
    return Narrow((dir / "index.html").wstring());
}

// The files generation would change: both models generated into scratch folders, or,
// where that cannot be done safely, the files of the components the changes are in.
std::vector<std::string> CodeAltered(const Options& options, const Installation& installation, const Side& before,
                                     const Side& after, const VexloDiff::DiffResult& result, const PathSymbolLookup& lookup)
{
    if (!before.path.empty() && !after.path.empty()) {
        std::wstring why;
        if (auto files = PreviewFilesAltered(options, installation, before.path, *before.model, after.path, *after.model, why))
            return *files;
        ErrLine(L"vexlo: --code: " + why + L"; listing the files of the components whose elements changed instead");
    }
    return FilesAltered(result, *before.model, *after.model, lookup);
}

// `header`: the report starts with "vexlo diff BEFORE AFTER" (git's driver, several models).
int Compare(const Options& options, const Installation& installation, const Side& before, const Side& after, bool driver,
            bool header = false)
{
    const PathSymbolLookup lookup = PathMapLookup(options.pathMap);
    VexloDiff::DiffOptions diffOptions;
    diffOptions.componentFolder = [&](const Module& m) {
        const Model& model = *m.OwningModel();
        std::optional<ComponentOutput> out = ComponentOutputOf(model, m, lookup);
        return out && out->generated ? FolderOf(out->path) : std::string();
    };
    VexloDiff::DiffResult result = VexloDiff::CompareModels(*before.model, *after.model, diffOptions);
    VexloDiff::CompareDiagrams(before.diagrams, after.diagrams, result);

    VexloDiff::ReportInput report;
    report.before = before.name;
    report.after = after.name;
    report.result = &result;
    report.withCode = options.code;
    if (options.code)
        report.code = CodeAltered(options, installation, before, after, result, lookup);
    if (!options.pictures.empty())
        report.pictures = WritePictures(options, before, after, result);
    const std::string text = options.format == L"json"       ? VexloDiff::JsonReport(report)
                             : options.format == L"markdown" ? VexloDiff::MarkdownReport(report)
                             : driver || header ? "vexlo diff " + before.name + " " + after.name + "\n" + VexloDiff::TextReport(report)
                                                : VexloDiff::TextReport(report);
    OutText(text);
    // git stops at an external diff program that exits with anything but 0.
    return driver || !result.DesignChanged() ? ExitOk : ExitHostError;
}

} // namespace

namespace {

int Run(const Options& options, const Installation& installation)
{
    TakeOverMessageBoxes();
    if (options.more.size() == 6) { // git diff's driver: PATH OLD-FILE OLD-HEX OLD-MODE NEW-FILE NEW-HEX NEW-MODE
        const Side before = Load(options, options.more[0], L"a/" + options.path, installation, nullptr);
        const Side after = Load(options, options.more[3], L"b/" + options.path, installation, nullptr);
        return Compare(options, installation, before, after, true);
    }
    if (options.gitRevision.empty()) {
        const Side before = Load(options, options.path, options.path, installation, nullptr);
        const Side after = Load(options, options.more.at(0), options.more.at(0), installation, nullptr);
        return Compare(options, installation, before, after, false);
    }
    GitRevision git(options.gitRevision, fs::current_path());
    std::vector<fs::path> models;
    if (!options.path.empty())
        models.push_back(fs::path(options.path));
    else
        models = git.ChangedModels();
    if (models.empty())
        Warn(L"no model file (.mdl) differs from " + options.gitRevision);
    int code = ExitOk;
    for (const fs::path& model : models) {
        if (!fs::exists(model)) {
            Warn(model.wstring() + L" is no longer in the working tree; not compared");
            continue;
        }
        const fs::path old = git.Extract(model);
        if (old.empty())
            ErrLine(L"vexlo: " + git.InRevision(model) + L" does not exist: the model is new, compared with an empty one");
        const Side before = Load(options, old.empty() ? L"/dev/null" : old.wstring(), git.InRevision(model), installation, &git);
        const Side after = Load(options, model.wstring(), model.wstring(), installation, nullptr);
        code = std::max(code, Compare(options, installation, before, after, false, options.path.empty()));
    }
    return code;
}

} // namespace

int RunDiff(const Options& options, const Installation& installation)
{
    // Exit code 1 says "the design changed": a failure must not look like it.
    try {
        return Run(options, installation);
    } catch (const CliError& error) {
        if (error.ExitCode() != ExitHostError)
            throw;
        throw CliError(ExitUsage, error.Message());
    } catch (const std::filesystem::filesystem_error& error) {
        throw CliError(ExitUsage, ArgumentText(error.what()));
    }
}

} // namespace VexloCli
