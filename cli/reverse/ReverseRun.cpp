// `vexlo reverse`: the code's declarations flow back into the model. Generate's preview
// says what the model gives each file now; the readers read that and the user's file;
// the differences become model changes, written in place (journal first), and then the
// code is generated again as `generate` does, the bodies of new methods carried into the
// zones of their new operations.
#include "ReverseRun.h"

#include "BodyCarry.h"
#include "Console.h"
#include "HeldLines.h"
#include "ReadAhead.h"
#include "PetalText.h"
#include "ReverseCompare.h"
#include "RunChecks.h"
#include "run/Journal.h"
#include "run/RunFiles.h"
#include "run/RunHooks.h"
#include "run/RunReport.h"
#include "run/BaseStore.h"
#include "run/TextDiff.h"

#include "ModelLoader.h"

#include "vxplat/Durability.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <tuple>
#include <filesystem>

namespace VexloCli {

using namespace RoseHost;
using VexloModelWriter::AnsiText;
using VexloModelWriter::AnsiWide;

namespace {

// Paths through UTF-8: std::filesystem would convert wide names with the C locale and
// fail on any name beyond ASCII.
std::filesystem::path PathOf(const std::wstring& path) { return std::filesystem::path(Narrow(Slashed(path))); }
std::wstring WideOf(const std::filesystem::path& path) { return ArgumentText(path.string().c_str()); }

struct CodeState {
    std::wstring path;
    std::string generated;
    std::optional<std::string> user;
    bool unchanged = false; // as the last run left it: not generated, nothing to read back
};

// The hooks a run of this command sets hold for that run alone, however it ends.
struct HooksReset {
    ~HooksReset() { CurrentRunHooks() = RunHooks(); }
};

bool IsCSharp(const std::wstring& path)
{
    return path.size() >= 3 && Lower(path.substr(path.size() - 3)) == L".cs";
}

std::string AheadKey(const std::wstring& path, const char* side) { return Narrow(path) + "\n" + side; }

// Reads on the second thread: the path as messages name it, taken now, not there.
ReadAhead::Reader DelphiReader(const std::wstring& path)
{
    return [name = AnsiText(path)](const std::string& text, const std::string&) {
        return ReadAhead::Result{VexloCode::ReadDelphi(name, text), {}, nullptr};
    };
}

// A C# user's file read while the preview goes on, its tree kept for the generated text.
ReadAhead::Reader CSharpUserReader(const std::wstring& path)
{
    return [name = Narrow(path)](const std::string& user, const std::string&) {
        return ReadAhead::Result{{}, {}, std::make_shared<const VexloCode::CSharpParse>(name, user)};
    };
}

// A C# file's generated text and the user's: the generated one parsed again from the
// user's tree where that was read ahead, else both read here, the user's from the other.
ReadAhead::Reader CSharpReader(const std::wstring& path, ReadAhead& ahead)
{
    return [name = Narrow(path), path, &ahead](const std::string& generated, const std::string& user) {
        std::optional<ReadAhead::Result> read = ahead.Take(AheadKey(path, "user"), user, std::string());
        if (read && read->parse)
            return ReadAhead::Result{read->parse->ReadAgain(generated), read->parse->File(), nullptr};
        auto [now, theirs] = VexloCode::ReadCSharpTwice(name, generated, user);
        return ReadAhead::Result{std::move(now), std::move(theirs), nullptr};
    };
}

// What the last run generated for a file: the store of the nearest folder above it that has one.
class Bases {
public:
    std::optional<std::string> Of(const std::wstring& path)
    {
        // The preview asked already for the files it generates.
        if (auto it = m_asked.find(path); it != m_asked.end()) {
            std::optional<std::string> base = std::move(it->second);
            m_asked.erase(it);
            return base;
        }
        namespace fs = std::filesystem;
        const std::wstring file = Slashed(path);
        std::error_code error;
        for (fs::path dir = fs::absolute(PathOf(file), error).parent_path(); !dir.empty(); dir = dir.parent_path()) {
            if (fs::exists(dir / ".vexlo" / "base" / "index", error)) {
                auto it = m_stores.find(dir);
                if (it == m_stores.end())
                    it = m_stores.emplace(dir, VexloRun::BaseStore::Open(dir)).first;
                return it->second.Present() ? it->second.Generated(PathOf(file)) : std::nullopt;
            }
            if (dir == dir.parent_path())
                break;
        }
        return std::nullopt;
    }

    // Whether the file holds just what the last run generated; else its base is kept for Of.
    bool Unchanged(const std::wstring& path, const std::string& text)
    {
        std::optional<std::string> base = Of(path);
        if (base && *base == text)
            return true;
        m_asked[path] = std::move(base);
        return false;
    }

private:
    std::map<std::filesystem::path, VexloRun::BaseStore> m_stores;
    std::map<std::wstring, std::optional<std::string>> m_asked;
};

// What the model generates now for every file of the selection, with the files as they
// stand; a component whose files are all as the last run left them is not generated.
std::vector<CodeState> GenerateNow(const Options& options, const Installation& installation, Bases& bases,
                                   ReadAhead& ahead, std::shared_ptr<Model>& model, int& exitCode)
{
    Options preview = options;
    preview.command = Command::Generate;
    preview.dryRun = true;
    preview.check = preview.diff = false;
    preview.report.clear();
    std::vector<CodeState> files;
    RunHooks& hooks = CurrentRunHooks();
    hooks.onGenerated = [&](const GeneratedFile& f) {
        files.push_back({f.path, f.text, f.old ? std::optional<std::string>(*f.old) : std::nullopt, f.leftOut});
    };
    // A file that changed since the last run is read while the preview goes on.
    hooks.unchanged = [&](const std::wstring& path, const std::string& text) {
        const bool same = bases.Unchanged(path, text);
        if (!same && (!IsCSharp(path) || VexloCode::CSharpReaderAvailable()))
            ahead.Queue(AheadKey(path, "user"), text, std::string(),
                        IsCSharp(path) ? CSharpUserReader(path) : DelphiReader(path));
        return same;
    };
    hooks.keepModel = [&model](std::shared_ptr<Model> loaded) { model = std::move(loaded); };
    HooksReset reset;
    exitCode = RunGenerate(preview, installation);
    return files;
}

// A file as messages name it: below the current folder relative to it, else as it is.
std::wstring Shown(const std::wstring& path)
{
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    const std::filesystem::path relative = PathOf(path).lexically_relative(here);
    if (error || relative.empty() || *relative.begin() == "..")
        return Slashed(path);
    return Slashed(WideOf(relative));
}

VexloCode::CodeFile Read(const std::wstring& path, const std::string& text)
{
    return IsCSharp(path) ? VexloCode::ReadCSharp(AnsiText(path), text) : VexloCode::ReadDelphi(AnsiText(path), text);
}

// The model files after the changes, by path; the ids of the operations added, by change.
std::map<std::wstring, std::string> WriteChanges(const Model& model, const VexloReverse::Comparison& comparison,
                                                 std::vector<std::vector<std::string>>& ids)
{
    VexloModelWriter::ModelWriter writer(model, [](const std::wstring& path) { return ReadWhole(path); });
    try {
        ids.resize(comparison.changes.size());
        for (const size_t i : VexloReverse::ApplyOrder(comparison))
            ids[i] = comparison.changes[i].apply(writer);
        return writer.Texts();
    } catch (const std::runtime_error& error) {
        throw CliError(ExitHostError, ArgumentText(error.what()) + L"; the model was not changed");
    }
}

void CommitModel(const Model& model, const std::map<std::wstring, std::string>& texts)
{
    auto absolute = [](const std::wstring& path) { return WideOf(std::filesystem::absolute(PathOf(path))); };
    RunPlan plan;
    plan.tops.push_back(ParentFolder(absolute(model.fileName)));
    std::vector<FileChange> changes;
    for (const auto& [written, text] : texts) {
        const std::wstring path = absolute(written);
        if (plan.TopOf(path) == plan.tops.size())
            plan.tops.push_back(ParentFolder(path));
        // Its identity first: the commit refuses a file that changed after it was read.
        VxpFileIdentity identity;
        std::optional<std::string> old;
        if (!VxpIdentifyFile(path.c_str(), &identity) || !(old = ReadWhole(path)))
            throw CliError(ExitHostError, path + L": the model file cannot be read again: " + LastErrorText() +
                                              L"; the model was not changed");
        changes.push_back({path, text, PrintOf(*old), L"model", identity});
    }
    CommitRun(plan, changes, model.fileName, CommitSteps{});
}

// The files compared: the model changes, what is kept and not read back, the conflicts;
// the user's declarations stay alive here, since the changes point at them.
struct ReadBack {
    VexloReverse::Comparison comparison;
    std::vector<VexloCode::CodeFile> userCode;
    std::vector<size_t> firstChange; // by file, the first change of the file; then the end
    std::vector<std::string> conflicts;
};

void CompareOne(const Model& model, const CodeState& file, const std::string& shown, bool prune, Bases& bases,
                ReadAhead& ahead, ReadBack& out)
{
    std::optional<std::string> base = bases.Of(file.path);
    if (!base)
        OutLine(L"no base of the last run for " + Shown(file.path) +
                L": comparing the code with what the model generates now");
    // The code as the model generates it now, or as the last run left it: no change of the
    // code's to read back (most files of a large model, and reading costs time).
    if (*file.user == file.generated || (base && *base == *file.user))
        return;
    // C#: the user's file is parsed again from the generated text's tree, where it differs.
    VexloCode::CodeFile generated;
    if (IsCSharp(file.path)) {
        if (std::optional<ReadAhead::Result> both = ahead.Take(AheadKey(file.path, "both"), file.generated, *file.user)) {
            generated = std::move(both->first);
            out.userCode.back() = std::move(both->second);
        } else {
            std::tie(generated, out.userCode.back()) =
                VexloCode::ReadCSharpTwice(Narrow(file.path), file.generated, *file.user);
        }
    } else {
        std::optional<ReadAhead::Result> user = ahead.Take(AheadKey(file.path, "user"), *file.user, std::string());
        out.userCode.back() = user ? std::move(user->first) : Read(file.path, *file.user);
        std::optional<ReadAhead::Result> now = ahead.Take(AheadKey(file.path, "generated"), file.generated, std::string());
        generated = now ? std::move(now->first) : Read(file.path, file.generated);
    }
    const VexloCode::CodeFile& user = out.userCode.back();
    if (!base) {
        VexloReverse::CompareFile(model, generated, user, shown, prune, out.comparison);
        return;
    }
    // Three ways: the code's changes since the last run, less those the model made too.
    // The model unchanged since (the usual case): the base is the generated text, read once.
    std::optional<VexloCode::CodeFile> baseCode;
    if (*base != file.generated)
        baseCode = Read(file.path, *base);
    const VexloCode::CodeFile& before = baseCode ? *baseCode : generated;
    VexloReverse::Comparison code, modelSide;
    VexloReverse::CompareFile(model, before, user, shown, prune, code);
    if (baseCode)
        VexloReverse::CompareFile(model, before, generated, shown, false, modelSide);
    for (std::string& conflict : VexloReverse::ThreeWay(model, code, modelSide))
        out.conflicts.push_back(std::move(conflict));
    VexloReverse::Comparison& all = out.comparison;
    std::move(code.changes.begin(), code.changes.end(), std::back_inserter(all.changes));
    all.kept.insert(all.kept.end(), code.kept.begin(), code.kept.end());
    all.notReadBack.insert(all.notReadBack.end(), code.notReadBack.begin(), code.notReadBack.end());
}

ReadBack CompareAll(const Model& model, const std::vector<CodeState>& files, bool prune, Bases& bases,
                    ReadAhead& ahead, RunReport& report)
{
    ReadBack out;
    for (const CodeState& file : files) {
        if (!file.user || file.unchanged || *file.user == file.generated)
            continue;
        if (!IsCSharp(file.path))
            ahead.Queue(AheadKey(file.path, "generated"), file.generated, std::string(), DelphiReader(file.path));
        else if (VexloCode::CSharpReaderAvailable())
            ahead.Queue(AheadKey(file.path, "both"), file.generated, *file.user, CSharpReader(file.path, ahead));
    }
    out.userCode.reserve(files.size());
    for (const CodeState& file : files) {
        out.firstChange.push_back(out.comparison.changes.size());
        out.userCode.emplace_back();
        if (!file.user)
            continue; // nothing written there yet: nothing to read back
        const std::string shown = AnsiText(Shown(file.path));
        if (IsCSharp(file.path) && !VexloCode::CSharpReaderAvailable()) {
            out.comparison.notReadBack.push_back(shown + ":1: " + VexloCode::CSharpReaderMissing());
            continue;
        }
        if (!file.unchanged)
            CompareOne(model, file, shown, prune, bases, ahead, out);
        report.files.push_back({Slashed(file.path), L"read", file.user->size(), 0, 0, 0});
    }
    out.firstChange.push_back(out.comparison.changes.size());
    VexloReverse::LinkAddedBases(out.comparison, &out.firstChange);
    return out;
}

// Says what was found; false when the run ends here (conflicts, or nothing to do).
bool Say(const ReadBack& found, RunReport& report, int& exitCode)
{
    for (const std::string& line : found.comparison.notReadBack) {
        OutLine(L"not read back: " + AnsiWide(line));
        report.Message(L"not read back", AnsiWide(line));
    }
    for (const std::string& line : found.comparison.kept) {
        OutLine(AnsiWide(line));
        report.Message(L"kept", AnsiWide(line));
    }
    for (const VexloReverse::ModelChange& change : found.comparison.changes)
        report.Message(L"change", AnsiWide(change.line));
    exitCode = ExitOk;
    if (!found.conflicts.empty()) {
        for (const std::string& conflict : found.conflicts) {
            ErrLine(L"vexlo: conflict: " + AnsiWide(conflict));
            report.Message(L"error", L"conflict: " + AnsiWide(conflict));
        }
        ErrLine(L"vexlo: the code and the model changed the same element(s) differently since the last run;"
                L" nothing was written (make them agree, in the code or in the model, and run again)");
        exitCode = ExitUserText;
        return false;
    }
    if (found.comparison.changes.empty()) {
        OutLine(L"nothing to read back: the model is in sync with the code");
        return false;
    }
    return true;
}

// --dry-run, --check, --diff: the changes and the model's diff; nothing is written.
int Preview(const Options& options, const ReadBack& found, const std::map<std::wstring, std::string>& texts)
{
    if (options.dryRun || options.check)
        for (const VexloReverse::ModelChange& change : found.comparison.changes)
            OutLine(AnsiWide(change.line));
    if (options.diff)
        for (const auto& [path, text] : texts) {
            std::optional<std::string> old = ReadWhole(path);
            std::string diff = UnifiedDiff(old ? &*old : nullptr, text, Narrow(Shown(path)));
            std::fwrite(diff.data(), 1, diff.size(), stdout);
            std::fflush(stdout);
        }
    if (options.check) {
        ErrLine(L"vexlo: the code holds " + std::to_wstring(found.comparison.changes.size()) +
                L" change(s) the model lacks (--check)");
        return ExitDifferences;
    }
    return ExitOk;
}

// The bodies of new methods and accessors, as zones of their new elements for the add-in;
// the lines read back that the new text holds, for the zone guard.
void CarryBodies(const std::vector<CodeState>& files, const ReadBack& found,
                 const std::vector<std::vector<std::string>>& ids)
{
    CurrentRunHooks().readBack = [&files, &found](const std::wstring& path, const std::string& now) {
        for (size_t f = 0; f < files.size(); ++f)
            if (files[f].user && Lower(Slashed(files[f].path)) == path)
                return VexloReverse::HeldLines(found.userCode[f], *files[f].user, now, found.comparison.notReadBack,
                                               AnsiText(Shown(files[f].path)));
        return std::set<int>();
    };
    for (size_t f = 0; f < files.size(); ++f) {
        std::vector<VexloReverse::AddedMethod> added;
        for (size_t c = found.firstChange[f]; c < found.firstChange[f + 1]; ++c)
            for (size_t m = 0; m < found.comparison.changes[c].carried.size() && m < ids[c].size(); ++m) {
                added.push_back(found.comparison.changes[c].carried[m]);
                added.back().id = ids[c][m];
            }
        if (!added.empty() && files[f].user)
            CurrentRunHooks().extraZones[Lower(Slashed(files[f].path))] =
                VexloReverse::CarriedZones(*files[f].user, IsCSharp(files[f].path), added);
    }
}

} // namespace

int RunReverse(const Options& options, const Installation& installation)
{
    RunReport report;
    report.model = options.path;
    report.mode = options.check ? L"check" : options.dryRun ? L"dry-run" : options.diff ? L"diff" : L"reverse";
    auto finish = [&](int code) {
        if (!options.report.empty() && !report.Write(options.report, ProcessExitCode(code, GivesVerdict(options))))
            ErrLine(L"vexlo: the report " + options.report + L" cannot be written: " + LastErrorText());
        return code;
    };

    int exitCode = ExitOk;
    ReadAhead ahead;
    Bases bases;
    // The comparison takes the preview's model (loaded once): the preview changed no
    // element of it, and its settings are as loaded; the code page is set as for a load.
    std::shared_ptr<Model> model;
    std::vector<CodeState> files = GenerateNow(options, installation, bases, ahead, model, exitCode);
    if (exitCode != ExitOk)
        return finish(exitCode);
    CodePageChoice codePage;
    if (model)
        ApplyCodePage(ChooseCodePage(options));
    else
        model = LoadForRun(options, installation.executableFolder, codePage);
    const ReadBack found = CompareAll(*model, files, options.prune, bases, ahead, report);
    if (!Say(found, report, exitCode))
        return finish(exitCode);

    std::vector<std::vector<std::string>> ids;
    std::map<std::wstring, std::string> texts = WriteChanges(*model, found.comparison, ids);
    if (options.dryRun || options.check || options.diff)
        return finish(Preview(options, found, texts));

    HooksReset reset;
    CarryBodies(files, found, ids);
    const size_t unresolved = model->unresolved.size();
    CommitModel(*model, texts);
    for (const VexloReverse::ModelChange& change : found.comparison.changes)
        OutLine(AnsiWide(change.line));
    for (const auto& [path, text] : texts)
        OutLine(L"model written: " + Shown(path));
    model.reset();

    // The code, generated again as `generate` does, with the carried bodies. Its load is
    // the check of the written model: it must load as before, without new warnings.
    Options generate = options;
    generate.command = Command::Generate;
    generate.report.clear();
    CurrentRunHooks().onLoaded = [unresolved](const Model& written) {
        if (written.unresolved.size() > unresolved)
            Warn(L"the written model refers to " + std::to_wstring(written.unresolved.size() - unresolved) +
                 L" more class(es) it does not hold");
    };
    return finish(RunGenerate(generate, installation));
}

} // namespace VexloCli
