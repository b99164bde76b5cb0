#include "CodePreview.h"

#include "Console.h"
#include "OutputPaths.h"
#include "RegistryTools.h"

#include "vxplat/Process.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace VexloCli {

using namespace RoseHost;
namespace fs = std::filesystem;

namespace {

// Every file a component writes must lie below the model's "Directory", which --out
// moves into the scratch folder; a component package's own folder would stay where it is.
const Element* OwnFolder(const Model& model, const PathSymbolLookup& lookup)
{
    for (const Module* m : model.allModules)
        if (std::optional<ComponentOutput> out = ComponentOutputOf(model, *m, lookup);
            out && out->generated && out->baseSetBy && out->baseSetBy != &model)
            return out->baseSetBy;
    return nullptr;
}

std::map<std::string, std::string> Files(const fs::path& root)
{
    std::map<std::string, std::string> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (it->is_directory() && it->path().filename() == ".vexlo") {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file())
            continue;
        std::ifstream in(it->path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        const std::u8string relative = it->path().lexically_relative(root).generic_u8string();
        files[std::string(relative.begin(), relative.end())] = text.str();
    }
    return files;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Each file as `show` names it (the model's "Directory" in front), by its path below
// that folder.
void PlannedNames(const Model& model, const PathSymbolLookup& lookup, std::map<std::string, std::string>& names)
{
    for (const Module* m : model.allModules) {
        std::optional<ComponentOutput> out = ComponentOutputOf(model, *m, lookup);
        if (!out || !out->generated || out->path.size() <= out->base.size())
            continue;
        std::wstring below = out->path.substr(out->base.size());
        while (!below.empty() && (below.front() == L'\\' || below.front() == L'/'))
            below.erase(0, 1);
        names.emplace(Lower(Narrow(below)), Narrow(out->path));
    }
}

class Scratch {
public:
    Scratch()
    {
        static std::atomic<unsigned> counter{0};
        m_path = fs::temp_directory_path() /
                 ("vexlo-code-" + std::to_string(std::random_device()()) + "-" + std::to_string(++counter));
        fs::create_directories(m_path);
    }
    ~Scratch()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

} // namespace

std::optional<std::vector<std::string>> PreviewFilesAltered(const Options& options, const Installation& installation,
                                                           const std::wstring& before, const Model& beforeModel,
                                                           const std::wstring& after, const Model& afterModel,
                                                           std::wstring& why)
{
    const PathSymbolLookup lookup = PathMapLookup(options.pathMap);
    for (const Model* model : {&beforeModel, &afterModel})
        if (const Element* own = OwnFolder(*model, lookup)) {
            why = L"the component package " + own->name.str() + L" has a \"Directory\" of its own, outside the model's";
            return std::nullopt;
        }
    Scratch scratch;
    const std::pair<const std::wstring*, const char*> sides[] = {{&before, "before"}, {&after, "after"}};
    for (const auto& [model, side] : sides) {
        std::vector<std::string> args{Narrow(installation.executablePath), "generate", Narrow(*model), "--out",
                                      Narrow((scratch.Path() / side).wstring())};
        for (const auto& [symbol, folder] : options.pathMap)
            args.insert(args.end(), {"--path-map", Narrow(symbol + L"=" + folder)});
        if (options.codePage)
            args.insert(args.end(), {"--codepage", std::to_string(options.codePage)});
        std::string log;
        const int code = VxpRunProgram(args, log, true);
        if (code != 0) {
            while (!log.empty() && log.back() == '\n')
                log.pop_back();
            why = L"generating " + *model + L" failed (exit code " + std::to_wstring(code) + L"): " +
                  ArgumentText(log.substr(log.rfind('\n') == std::string::npos ? 0 : log.rfind('\n') + 1).c_str());
            return std::nullopt;
        }
    }
    const std::map<std::string, std::string> a = Files(scratch.Path() / "before"), b = Files(scratch.Path() / "after");
    std::vector<std::string> altered;
    for (const auto& [path, text] : a)
        if (auto it = b.find(path); it == b.end() || it->second != text)
            altered.push_back(path);
    for (const auto& [path, text] : b)
        if (!a.count(path))
            altered.push_back(path);
    std::map<std::string, std::string> names;
    PlannedNames(afterModel, lookup, names);
    PlannedNames(beforeModel, lookup, names);
    for (std::string& path : altered) {
        auto it = names.find(Lower(path));
        if (it != names.end())
            path = it->second;
    }
    std::sort(altered.begin(), altered.end());
    return altered;
}

} // namespace VexloCli
