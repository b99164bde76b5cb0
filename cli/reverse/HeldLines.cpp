#include "HeldLines.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string_view>

namespace VexloReverse {

namespace {

using namespace VexloCode;

// C# names a base with its namespaces ("LendingServer.Model.Entity"); typed short, it is the same.
std::string LastName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

std::string ParametersKey(const std::vector<Parameter>& parameters)
{
    std::string key = "(";
    for (const Parameter& p : parameters)
        key += p.kind + " " + p.name + ":" + p.type + "=" + p.defaultValue + ";";
    return key + ")";
}

// Everything the readers read of a member; the directives in any order (the generator has its own).
std::string MemberKey(const std::string& owner, const Member& m)
{
    std::vector<std::string> modifiers = m.modifiers;
    std::sort(modifiers.begin(), modifiers.end());
    std::string key = owner + "\n" + std::to_string(static_cast<int>(m.kind)) + "\n" + m.name + "\n" + m.type + "\n" +
                      m.initialValue + "\n" + m.visibility + "\n" + m.methodKind + "\n" + m.readAccessor + "\n" +
                      m.writeAccessor + "\n" + ParametersKey(m.parameters);
    for (const std::string& word : modifiers)
        key += " " + word;
    return key;
}

std::string TypeKey(const TypeDecl& t)
{
    std::string key = t.name + "\n" + t.kind + "\n" + t.visibility + "\n";
    for (const std::string& word : t.modifiers)
        key += word + " ";
    for (const std::string& base : t.bases) {
        key += '\n';
        key += LastName(base);
    }
    return key;
}

std::string HeaderKey(const ImplementationHeader& h)
{
    return h.methodKind + " " + h.type + "." + h.name + ParametersKey(h.parameters) + ":" + h.result;
}

// What the new text declares, each declaration taken once.
class Declared {
public:
    void Add(const std::string& key) { ++m_counts[key]; }
    bool Take(const std::string& key)
    {
        auto it = m_counts.find(key);
        if (it == m_counts.end() || it->second == 0)
            return false;
        --it->second;
        return true;
    }

private:
    std::map<std::string, int> m_counts;
};

std::vector<std::string_view> LinesOf(const std::string& text)
{
    std::vector<std::string_view> lines = {std::string_view()}; // by 1-based line
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(std::string_view(text).substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

bool HasComment(std::string_view line, Language language)
{
    if (line.find("//") != std::string_view::npos)
        return true;
    if (language == Language::Delphi)
        return line.find('{') != std::string_view::npos || line.find("(*") != std::string_view::npos;
    return line.find("/*") != std::string_view::npos;
}

} // namespace

std::set<int> HeldLines(const CodeFile& user, const std::string& userText, const std::string& newText,
                        const std::vector<std::string>& notReadBack, const std::string& shown)
{
    std::set<int> unread;
    for (const std::string& said : notReadBack)
        if (said.size() > shown.size() && said.compare(0, shown.size() + 1, shown + ":") == 0)
            unread.insert(std::atoi(said.c_str() + shown.size() + 1));
    auto said = [&](int first, int last) {
        const auto it = unread.lower_bound(first);
        return it != unread.end() && *it <= last;
    };
    const CodeFile now = user.language == Language::Delphi ? ReadDelphi(user.path, newText) : ReadCSharp(user.path, newText);
    Declared declared;
    for (const TypeDecl& t : now.types) {
        declared.Add(TypeKey(t));
        for (const Member& m : t.members)
            declared.Add(MemberKey(t.name, m));
    }
    for (const ImplementationHeader& h : now.implementations)
        declared.Add(HeaderKey(h));

    const std::vector<std::string_view> text = LinesOf(userText);
    std::map<int, bool> lines; // a line of a declaration: whether all of its declarations are held
    auto cover = [&](int first, int last, bool held) {
        for (int line = first; line <= last; ++line)
            if (auto [it, fresh] = lines.emplace(line, held); !fresh)
                it->second = it->second && held;
    };
    // Parameter attributes are no part of what the readers read: a bracket keeps a head's lines.
    auto bracket = [&](int first, int last) {
        for (int line = std::max(first, 1); line <= last && line < static_cast<int>(text.size()); ++line)
            if (text[static_cast<size_t>(line)].find('[') != std::string_view::npos)
                return true;
        return false;
    };
    for (const TypeDecl& t : user.types) {
        // An enumeration is one declaration: a value not read back (its order) keeps them all.
        const bool enumSaid = t.kind == "enum" && said(t.line, std::max(t.line, t.endLine));
        cover(t.line, t.line, declared.Take(TypeKey(t)) && !said(t.line, t.line) && !enumSaid);
        for (const Member& m : t.members) {
            const int last = m.headEnd >= 0 ? m.headEnd : m.endLine;
            const bool held = declared.Take(MemberKey(t.name, m)) && !enumSaid && !said(m.line, std::max(m.line, last));
            if (last < m.line) // the head shares its line with the body: the line is the user's text
                cover(m.line, m.line, false);
            else
                cover(m.line, last, held && !(m.kind == Member::Kind::Method && bracket(m.line, last)));
        }
    }
    for (const ImplementationHeader& h : user.implementations)
        cover(h.line, std::max(h.line, h.endLine),
              h.alone && declared.Take(HeaderKey(h)) && !said(h.line, std::max(h.line, h.endLine)));
    for (const NotReadBack& n : user.notReadBack)
        cover(n.line, std::max(n.line, n.endLine), false);

    std::set<int> out;
    for (const auto& [line, held] : lines)
        if (held && line > 0 && line < static_cast<int>(text.size()) &&
            !HasComment(text[static_cast<size_t>(line)], user.language))
            out.insert(line);
    return out;
}

} // namespace VexloReverse
