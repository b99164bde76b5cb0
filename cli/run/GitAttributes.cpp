#include "GitAttributes.h"

#include "Console.h"
#include "RunFiles.h"

#include <filesystem>
#include <sstream>

namespace VexloCli {

namespace fs = std::filesystem;

namespace {

bool MatchFrom(const std::string& p, size_t pi, const std::string& s, size_t si);

// "[...]" at p[pi]: whether c is in it; `end` gets the position after "]" (npos: no class).
bool InClass(const std::string& p, size_t pi, char c, size_t& end)
{
    size_t i = pi + 1;
    bool negate = i < p.size() && (p[i] == '!' || p[i] == '^');
    if (negate)
        ++i;
    bool found = false;
    for (bool first = true; i < p.size() && (first || p[i] != ']'); first = false) {
        char low = p[i] == '\\' && i + 1 < p.size() ? p[++i] : p[i];
        char high = low;
        if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != ']') {
            high = p[i + 2] == '\\' && i + 3 < p.size() ? p[i + 3] : p[i + 2];
            i += p[i + 2] == '\\' ? 3 : 2;
        }
        found = found || (c >= low && c <= high);
        ++i;
    }
    end = i < p.size() ? i + 1 : std::string::npos;
    return found != negate;
}

bool MatchFrom(const std::string& p, size_t pi, const std::string& s, size_t si)
{
    while (pi < p.size()) {
        const char c = p[pi];
        if (c == '*') {
            size_t next = pi;
            while (next < p.size() && p[next] == '*')
                ++next;
            if (next - pi >= 2) { // "**" crosses folders; "a/**/b" also matches "a/b"
                if (next == p.size())
                    return true;
                if (p[next] == '/' && (pi == 0 || p[pi - 1] == '/') && MatchFrom(p, next + 1, s, si))
                    return true;
                for (size_t k = si; k <= s.size(); ++k)
                    if (MatchFrom(p, next, s, k))
                        return true;
                return false;
            }
            for (size_t k = si;; ++k) {
                if (MatchFrom(p, next, s, k))
                    return true;
                if (k == s.size() || s[k] == '/')
                    return false;
            }
        }
        if (si >= s.size())
            return false;
        if (c == '?' || c == '[') {
            if (s[si] == '/')
                return false;
            if (c == '[') {
                size_t end = 0;
                bool in = InClass(p, pi, s[si], end);
                if (end == std::string::npos) { // no closing "]": a plain "["
                    if (s[si] != '[')
                        return false;
                    ++pi, ++si;
                    continue;
                }
                if (!in)
                    return false;
                pi = end, ++si;
                continue;
            }
            ++pi, ++si;
            continue;
        }
        const char literal = c == '\\' && pi + 1 < p.size() ? p[++pi] : c;
        if (s[si] != literal)
            return false;
        ++pi, ++si;
    }
    return si == s.size();
}

std::optional<fs::path> WorkTreeTop(fs::path folder)
{
    std::error_code error;
    for (;;) {
        if (fs::exists(folder / ".git", error))
            return folder;
        if (!folder.has_parent_path() || folder.parent_path() == folder)
            return std::nullopt;
        folder = folder.parent_path();
    }
}

} // namespace

bool GitPatternMatches(const std::string& pattern, const std::string& path) { return MatchFrom(pattern, 0, path, 0); }

const std::vector<GitAttributes::Rule>& GitAttributes::RulesOf(const std::wstring& file)
{
    auto [it, added] = m_files.try_emplace(file);
    if (!added)
        return it->second;
    std::optional<std::string> text = ReadWhole(file);
    if (!text)
        return it->second;
    std::istringstream lines(*text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        Rule rule;
        if (!(words >> rule.pattern) || rule.pattern[0] == '#' || rule.pattern[0] == '"' ||
            rule.pattern.compare(0, 6, "[attr]") == 0 || rule.pattern.back() == '/')
            continue; // comments, quoted patterns and macros are not read; folders have no line ends
        rule.anywhere = rule.pattern.find('/') == std::string::npos;
        if (rule.pattern[0] == '/')
            rule.pattern.erase(0, 1);
        for (std::string word; words >> word;)
            rule.attributes.push_back(word);
        rule.source = Slashed(file) + L":" + std::to_wstring(number);
        it->second.push_back(std::move(rule));
    }
    return it->second;
}

std::optional<GitEol> GitAttributes::EolOf(const std::wstring& path)
{
    const fs::path file = fs::absolute(PathOf(Slashed(path))).lexically_normal();
    const std::optional<fs::path> top = WorkTreeTop(file.parent_path());
    if (!top)
        return std::nullopt;
    const std::string relative = Narrow(Slashed(WideOf(file.lexically_relative(*top))));

    // From the top down, then the repository's own file: later lines win.
    std::vector<std::pair<std::string, std::wstring>> sources; // (folder below the top, file)
    sources.emplace_back("", WideOf(*top / ".gitattributes"));
    fs::path below;
    for (const fs::path& part : file.lexically_relative(*top).parent_path()) {
        below /= part;
        sources.emplace_back(Narrow(Slashed(WideOf(below))), WideOf(*top / below / ".gitattributes"));
    }
    sources.emplace_back("", WideOf(*top / ".git" / "info" / "attributes"));

    enum class Text { Unspecified, Set, Unset } text = Text::Unspecified;
    std::optional<GitEol> eol;
    for (const auto& [folder, attributesFile] : sources) {
        if (!folder.empty() && relative.compare(0, folder.size() + 1, folder + "/") != 0)
            continue;
        const std::string inside = folder.empty() ? relative : relative.substr(folder.size() + 1);
        const std::string name = inside.substr(inside.rfind('/') + 1);
        for (const Rule& rule : RulesOf(attributesFile)) {
            if (!GitPatternMatches(rule.pattern, rule.anywhere ? name : inside))
                continue;
            for (const std::string& a : rule.attributes) {
                if (a == "text" || a == "crlf" || a == "text=auto")
                    text = Text::Set;
                else if (a == "-text" || a == "binary" || a == "-crlf")
                    text = Text::Unset;
                else if (a == "!text")
                    text = Text::Unspecified;
                else if (a == "eol=lf" || a == "eol=crlf" || a == "crlf=input")
                    eol = GitEol{a == "eol=crlf", rule.source};
                else if (a == "-eol" || a == "!eol")
                    eol.reset();
            }
        }
    }
    return text == Text::Unset ? std::nullopt : eol;
}

} // namespace VexloCli
