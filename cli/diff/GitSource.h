// The model of a git revision, with its units and property files, taken out into a
// scratch folder (removed when the object ends), so that a CI job needs no second checkout.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace VexloCli {

class GitRevision {
public:
    // Throws CliError: ExitUsage when git is missing or REV names no commit.
    GitRevision(const std::wstring& revision, const std::filesystem::path& workingFolder);
    ~GitRevision();
    GitRevision(const GitRevision&) = delete;
    GitRevision& operator=(const GitRevision&) = delete;

    // The model at `model` (a file of the working tree) as the revision holds it; an
    // empty path when the revision has no such file (the model is new).
    std::filesystem::path Extract(const std::filesystem::path& model);
    // "REV:path/in/repository" of a working tree file.
    std::wstring InRevision(const std::filesystem::path& model) const;
    // The model files (.mdl) that differ between the revision and the working tree,
    // relative to the working folder.
    std::vector<std::filesystem::path> ChangedModels() const;
    // "REV:path/in/repository" for the scratch copy's path in messages.
    std::wstring Mapped(const std::wstring& text) const;
    const std::wstring& Name() const { return m_revision; }

private:
    std::string Git(const std::vector<std::string>& args, const char* what) const;

    std::wstring m_revision;
    std::filesystem::path m_cwd, m_top, m_scratch;
    bool m_extracted = false;
};

} // namespace VexloCli
