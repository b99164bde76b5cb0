// `vexlo reverse`: the code's declarations flow back into the model. Generate's preview
// says what the model gives each file now; the readers read that and the user's file;
// the differences become model changes, written in place (journal first), and then the
// code is generated again as `generate` does, the bodies of new methods carried into the
// zones of their new operations.
#include "ReverseRun.h"

#include "BodyCarry.h"
#include "Console.h"
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

#include <cstdio>
#include <filesystem>

namespace VexloCli {

using namespace RoseHost;

namespace {

struct CodeState {
    std::wstring path;
    std::string generated;
    std::optional<std::string> user;
};

// What the model generates now for every file of the selection, with the files as they stand.
std::vector<CodeState> GenerateNow(const Options& options, const Installation& installation, int& exitCode)
{
    Options preview = options;
    preview.command = Command::Generate;
    preview.dryRun = true;
    preview.check = preview.diff = false;
    preview.report.clear();
    std::vector<CodeState> files;
    CurrentRunHooks().onGenerated = [&](const GeneratedFile& f) {
        files.push_back({f.path, f.text, f.old ? std::optional<std::string>(*f.old) : std::nullopt});
    };
    try {
        exitCode = RunGenerate(preview, installation);
    } catch (...) {
        CurrentRunHooks().onGenerated = nullptr;
        throw;
    }
    CurrentRunHooks().onGenerated = nullptr;
    return files;
}

// What the last run generated for a file: the store of the nearest folder above it that has one.
class Bases {
public:
    std::optional<std::string> Of(const std::wstring& path)
    {
        namespace fs = std::filesystem;
        const std::wstring file = Slashed(path);
        std::error_code error;
        for (fs::path dir = fs::absolute(fs::path(file), error).parent_path(); !dir.empty(); dir = dir.parent_path()) {
            if (fs::exists(dir / ".vexlo" / "base" / "index", error)) {
                auto it = m_stores.find(dir);
                if (it == m_stores.end())
                    it = m_stores.emplace(dir, VexloRun::BaseStore::Open(dir)).first;
                return it->second.Present() ? it->second.Generated(fs::path(file)) : std::nullopt;
            }
            if (dir == dir.parent_path())
                break;
        }
        return std::nullopt;
    }

private:
    std::map<std::filesystem::path, VexloRun::BaseStore> m_stores;
};

// A file as messages name it: below the current folder relative to it, else as it is.
std::wstring Shown(const std::wstring& path)
{
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(here);
    if (error || relative.empty() || *relative.begin() == "..")
        return Slashed(path);
    return Slashed(relative.wstring());
}

bool IsCSharp(const std::wstring& path)
{
    return path.size() >= 3 && Lower(path.substr(path.size() - 3)) == L".cs";
}

VexloCode::CodeFile Read(const std::wstring& path, const std::string& text)
{
    return IsCSharp(path) ? VexloCode::ReadCSharp(Narrow(path), text) : VexloCode::ReadDelphi(Narrow(path), text);
}

// The model files after the changes, by path; the ids of the operations added, by change.
std::map<std::wstring, std::string> WriteChanges(const Model& model, const VexloReverse::Comparison& comparison,
                                                 std::vector<std::vector<std::string>>& ids)
{
    VexloModelWriter::ModelWriter writer(model, [](const std::wstring& path) { return ReadWhole(path); });
    try {
        for (const VexloReverse::ModelChange& change : comparison.changes)
            ids.push_back(change.apply(writer));
        return writer.Texts();
    } catch (const std::runtime_error& error) {
        throw CliError(ExitHostError, ArgumentText(error.what()) + L"; the model was not changed");
    }
}

void CommitModel(const Model& model, const std::map<std::wstring, std::string>& texts,
                 std::vector<std::string>& olds)
{
    auto absolute = [](const std::wstring& path) { return std::filesystem::absolute(std::filesystem::path(path)).wstring(); };
    RunPlan plan;
    plan.tops.push_back(ParentFolder(absolute(model.fileName)));
    std::vector<FileChange> changes;
    olds.reserve(texts.size());
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
        olds.push_back(std::move(*old));
        changes.push_back({path, text, &olds.back(), L"model", identity});
    }
    CommitRun(plan, changes, model.fileName, CommitSteps{});
}

// After the model is written: it must load as before, without new warnings.
void CheckWrittenModel(const Options& options, const Installation& installation, size_t unresolvedBefore)
{
    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, installation.executableFolder, codePage);
    if (model->unresolved.size() > unresolvedBefore)
        Warn(L"the written model refers to " + std::to_wstring(model->unresolved.size() - unresolvedBefore) +
             L" more class(es) it does not hold");
}

} // namespace

int RunReverse(const Options& options, const Installation& installation)
{
    RunReport report;
    report.model = options.path;
    report.mode = options.check ? L"check" : options.dryRun ? L"dry-run" : options.diff ? L"diff" : L"reverse";
    auto finish = [&](int code) {
        if (!options.report.empty() && !report.Write(options.report, code))
            ErrLine(L"vexlo: the report " + options.report + L" cannot be written: " + LastErrorText());
        return code;
    };

    int exitCode = ExitOk;
    std::vector<CodeState> files = GenerateNow(options, installation, exitCode);
    if (exitCode != ExitOk)
        return finish(exitCode);
    CodePageChoice codePage;
    std::shared_ptr<Model> model = LoadForRun(options, installation.executableFolder, codePage);

    VexloReverse::Comparison comparison;
    // The user's declarations stay alive: the changes point at them. By file, the first
    // change of the file.
    std::vector<VexloCode::CodeFile> userCode;
    std::vector<std::string> conflicts;
    Bases bases;
    std::vector<size_t> firstChange;
    userCode.reserve(files.size());
    for (const CodeState& file : files) {
        firstChange.push_back(comparison.changes.size());
        userCode.emplace_back();
        if (!file.user)
            continue; // nothing written there yet: nothing to read back
        const std::string shown = Narrow(Shown(file.path));
        if (IsCSharp(file.path) && !VexloCode::CSharpReaderAvailable()) {
            comparison.notReadBack.push_back(shown + ":1: " + VexloCode::CSharpReaderMissing());
            continue;
        }
        userCode.back() = Read(file.path, *file.user);
        const VexloCode::CodeFile generated = Read(file.path, file.generated);
        if (std::optional<std::string> base = bases.Of(file.path)) {
            // Three ways: the code's changes since the last run, less those the model made too.
            const VexloCode::CodeFile before = Read(file.path, *base);
            VexloReverse::Comparison code, modelSide;
            VexloReverse::CompareFile(*model, before, userCode.back(), shown, options.prune, code);
            VexloReverse::CompareFile(*model, before, generated, shown, false, modelSide);
            for (std::string& conflict : VexloReverse::ThreeWay(*model, code, modelSide))
                conflicts.push_back(std::move(conflict));
            for (auto& change : code.changes)
                comparison.changes.push_back(std::move(change));
            comparison.kept.insert(comparison.kept.end(), code.kept.begin(), code.kept.end());
            comparison.notReadBack.insert(comparison.notReadBack.end(), code.notReadBack.begin(), code.notReadBack.end());
        } else {
            OutLine(L"no base of the last run for " + Shown(file.path) +
                    L": comparing the code with what the model generates now");
            VexloReverse::CompareFile(*model, generated, userCode.back(), shown, options.prune, comparison);
        }
        report.files.push_back({Slashed(file.path), L"read", file.user->size(), 0, 0, 0});
    }
    firstChange.push_back(comparison.changes.size());
    for (const std::string& line : comparison.notReadBack) {
        OutLine(L"not read back: " + ArgumentText(line.c_str()));
        report.Message(L"not read back", ArgumentText(line.c_str()));
    }
    for (const std::string& line : comparison.kept) {
        OutLine(ArgumentText(line.c_str()));
        report.Message(L"kept", ArgumentText(line.c_str()));
    }
    for (const VexloReverse::ModelChange& change : comparison.changes)
        report.Message(L"change", ArgumentText(change.line.c_str()));
    if (!conflicts.empty()) {
        for (const std::string& conflict : conflicts) {
            ErrLine(L"vexlo: conflict: " + ArgumentText(conflict.c_str()));
            report.Message(L"error", L"conflict: " + ArgumentText(conflict.c_str()));
        }
        ErrLine(L"vexlo: the code and the model changed the same element(s) differently since the last run;"
                L" nothing was written (make them agree, in the code or in the model, and run again)");
        return finish(ExitUserText);
    }
    if (comparison.changes.empty()) {
        OutLine(L"nothing to read back: the model is in sync with the code");
        return finish(ExitOk);
    }

    std::vector<std::vector<std::string>> ids;
    std::map<std::wstring, std::string> texts = WriteChanges(*model, comparison, ids);
    if (options.dryRun || options.check || options.diff) {
        if (options.dryRun || options.check)
            for (const VexloReverse::ModelChange& change : comparison.changes)
                OutLine(ArgumentText(change.line.c_str()));
        if (options.diff)
            for (const auto& [path, text] : texts) {
                std::optional<std::string> old = ReadWhole(path);
                std::string diff = UnifiedDiff(old ? &*old : nullptr, text, Narrow(Slashed(path)));
                std::fwrite(diff.data(), 1, diff.size(), stdout);
                std::fflush(stdout);
            }
        if (options.check) {
            ErrLine(L"vexlo: the code holds " + std::to_wstring(comparison.changes.size()) +
                    L" change(s) the model lacks (--check)");
            return finish(ExitHostError);
        }
        return finish(ExitOk);
    }

    // The bodies of new methods go into the zones of their new operations.
    for (size_t f = 0; f < files.size(); ++f) {
        std::vector<VexloReverse::AddedMethod> added;
        for (size_t c = firstChange[f]; c < firstChange[f + 1]; ++c)
            for (size_t m = 0; m < comparison.changes[c].carried.size() && m < ids[c].size(); ++m) {
                added.push_back(comparison.changes[c].carried[m]);
                added.back().id = ids[c][m];
            }
        if (!added.empty() && files[f].user)
            CurrentRunHooks().extraZones[Lower(Slashed(files[f].path))] =
                VexloReverse::CarriedZones(*files[f].user, IsCSharp(files[f].path), added);
    }
    std::vector<std::string> olds;
    const size_t unresolved = model->unresolved.size();
    CommitModel(*model, texts, olds);
    for (const VexloReverse::ModelChange& change : comparison.changes)
        OutLine(ArgumentText(change.line.c_str()));
    for (const auto& [path, text] : texts)
        OutLine(L"model written: " + Slashed(path));
    model.reset();
    CheckWrittenModel(options, installation, unresolved);

    Options generate = options;
    generate.command = Command::Generate;
    generate.report.clear();
    const int code = RunGenerate(generate, installation);
    CurrentRunHooks().extraZones.clear();
    return finish(code);
}

} // namespace VexloCli
