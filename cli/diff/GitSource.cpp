#include "GitSource.h"

#include "Console.h"

#include "vxplat/Process.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>

namespace VexloCli {

namespace fs = std::filesystem;

namespace {

std::string Utf8Path(const fs::path& p) { return std::string(reinterpret_cast<const char*>(p.u8string().c_str())); }
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// The files a model is made of: the model, controlled units, property files.
bool IsModelFile(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "mdl" || ext == "cat" || ext == "sub" || ext == "ptl" || ext == "pty" || ext == "prp";
}

} // namespace

GitRevision::GitRevision(const std::wstring& revision, const fs::path& workingFolder)
    : m_revision(revision), m_cwd(workingFolder)
{
    m_top = PathOf(Trimmed(Git({"rev-parse", "--show-toplevel"}, "find the repository")));
    Git({"rev-parse", "--verify", "--quiet", Narrow(revision) + "^{commit}"}, "find the revision");
}

GitRevision::~GitRevision()
{
    std::error_code ignored;
    if (!m_scratch.empty())
        fs::remove_all(m_scratch, ignored);
}

std::string GitRevision::Git(const std::vector<std::string>& args, const char* what) const
{
    std::vector<std::string> command{"git", "-C", Utf8Path(m_top.empty() ? m_cwd : m_top)};
    command.insert(command.end(), args.begin(), args.end());
    std::string out;
    const int code = VxpRunProgram(command, out);
    if (code == -1)
        throw CliError(ExitUsage, L"diff --git: git could not be started (is it installed and on the PATH?)");
    if (code != 0)
        throw CliError(ExitUsage, L"diff --git " + m_revision + L": git could not " + ArgumentText(what) + L" (git " +
                                      ArgumentText(args.front().c_str()) + L" exited with " + std::to_wstring(code) + L")");
    return out;
}

namespace {

fs::path Relative(const fs::path& cwd, const fs::path& top, const fs::path& model)
{
    std::error_code error;
    const fs::path absolute = fs::weakly_canonical(fs::absolute(cwd / model), error);
    const fs::path relative = absolute.lexically_relative(fs::weakly_canonical(top, error));
    if (relative.empty() || *relative.begin() == "..")
        throw CliError(ExitUsage, L"diff --git: " + model.wstring() + L" is not in the repository " + top.wstring());
    return relative;
}

} // namespace

std::wstring GitRevision::InRevision(const fs::path& model) const
{
    return m_revision + L":" + Relative(m_cwd, m_top, model).generic_wstring();
}

fs::path GitRevision::Extract(const fs::path& model)
{
    const fs::path relative = Relative(m_cwd, m_top, model);
    if (!m_extracted) {
        static std::atomic<unsigned> counter{0};
        m_scratch = fs::temp_directory_path() / ("vexlo-diff-" + std::to_string(std::random_device()()) + "-" +
                                                 std::to_string(++counter));
        fs::create_directories(m_scratch);
        // Every model-ish file of the revision: the units a model names may lie anywhere in it.
        const std::string list = Git({"ls-tree", "-r", "-z", "--name-only", Narrow(m_revision)}, "list the revision's files");
        for (size_t at = 0; at < list.size();) {
            const size_t end = list.find('\0', at);
            const std::string name = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
            at = end == std::string::npos ? list.size() : end + 1;
            if (!IsModelFile(name))
                continue;
            const std::string text = Git({"cat-file", "blob", Narrow(m_revision) + ":" + name}, "read a file of the revision");
            const fs::path target = m_scratch / PathOf(name);
            fs::create_directories(target.parent_path());
            std::ofstream(target, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        m_extracted = true;
    }
    const fs::path copy = m_scratch / relative;
    return fs::is_regular_file(copy) ? copy : fs::path();
}

std::vector<fs::path> GitRevision::ChangedModels() const
{
    std::vector<std::string> args{"diff", "--name-only", "-z", Narrow(m_revision), "--", ":(glob)**/*.mdl", ":(glob)**/*.MDL"};
    const std::string list = Git(args, "list the changed models");
    std::vector<fs::path> models;
    for (size_t at = 0; at < list.size();) {
        const size_t end = list.find('\0', at);
        const std::string name = list.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? list.size() : end + 1;
        if (!name.empty())
            models.push_back((m_top / PathOf(name)).lexically_relative(fs::weakly_canonical(m_cwd)));
    }
    return models;
}

std::wstring GitRevision::Mapped(const std::wstring& text) const
{
    if (m_scratch.empty())
        return text;
    std::wstring out = text;
    const std::wstring from = (m_scratch / "").wstring(), to = m_revision + L":";
    for (size_t at = out.find(from); at != std::wstring::npos; at = out.find(from, at + to.size()))
        out.replace(at, from.size(), to);
    return out;
}

} // namespace VexloCli
