#include "BodyCarry.h"

#include <algorithm>
#include <cctype>

namespace VexloReverse {

namespace {

struct Line {
    size_t begin, end; // end: past its line end
};

std::vector<Line> LinesOf(const std::string& text)
{
    std::vector<Line> lines;
    for (size_t at = 0; at < text.size();) {
        size_t nl = text.find('\n', at);
        size_t end = nl == std::string::npos ? text.size() : nl + 1;
        lines.push_back({at, end});
        at = end;
    }
    return lines;
}

std::string Trimmed(const std::string& text, Line l)
{
    size_t b = l.begin, e = l.end;
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return text.substr(b, e - b);
}

std::string Lowered(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string IndentOf(const std::string& text, Line l)
{
    size_t e = l.begin;
    while (e < l.end && (text[e] == ' ' || text[e] == '\t'))
        ++e;
    return text.substr(l.begin, e - l.begin);
}

// The lines [from, to) as zone text, every line ended, then the end marker's indentation.
std::string ZoneText(const std::string& text, const std::vector<Line>& lines, size_t from, size_t to,
                     const std::string& endIndent)
{
    std::string out;
    for (size_t i = from; i < to; ++i) {
        std::string line = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (line.empty() || line.back() != '\n')
            line += "\r\n";
        out += line;
    }
    return out + endIndent;
}

std::string Zone(const std::string& indent, const std::string& scope, const std::string& id, const std::string& tag,
                 const std::string& text)
{
    return indent + "//## begin " + scope + "%" + id + "." + tag + " preserve=yes\r\n" + text + "//## end " + scope +
           "%" + id + "." + tag + "\r\n";
}

// "procedure TX.Name(" in the implementation: its var lines and its body.
std::string DelphiZones(const std::string& text, const std::vector<Line>& lines, const AddedMethod& m)
{
    const std::string method = m.name.empty() ? m.member->name : m.name;
    const std::string head = Lowered(m.className + "." + method);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string t = Lowered(Trimmed(text, lines[i]));
        size_t at = t.find(head);
        if (at == std::string::npos || at == 0 || t[at - 1] != ' ')
            continue;
        const char after = at + head.size() < t.size() ? t[at + head.size()] : ';';
        if (after != '(' && after != ';' && after != ':' && after != ' ')
            continue;
        if (t.compare(0, 9, "procedure") != 0 && t.compare(0, 8, "function") != 0 && t.compare(0, 5, "class") != 0)
            continue;
        const std::string indent = IndentOf(text, lines[i]);
        size_t begin = i + 1;
        while (begin < lines.size() && Lowered(Trimmed(text, lines[begin])) != "begin")
            ++begin;
        size_t end = begin + 1;
        while (end < lines.size() &&
               !(Lowered(Trimmed(text, lines[end])).compare(0, 4, "end;") == 0 && IndentOf(text, lines[end]) == indent))
            ++end;
        if (end >= lines.size())
            return "";
        const std::string scope = m.className + "::" + method;
        std::string zones;
        if (begin > i + 1)
            zones += Zone("", scope, m.id, m.accessor + "var", ZoneText(text, lines, i + 1, begin, ""));
        return zones + Zone("  ", scope, m.id, m.accessor + "body", ZoneText(text, lines, begin + 1, end, "  "));
    }
    return "";
}

// The lines between the braces of a method, or of a property's get or set block.
std::string CSharpZones(const std::string& text, const std::vector<Line>& lines, const AddedMethod& m)
{
    if (m.member->line < 1 || static_cast<size_t>(m.member->endLine) > lines.size())
        return "";
    size_t open = static_cast<size_t>(m.member->line) - 1;
    const size_t last = static_cast<size_t>(m.member->endLine) - 1;
    if (!m.accessor.empty()) {
        while (open < last && Trimmed(text, lines[open]) != m.accessor)
            ++open;
        ++open;
    }
    while (open < last && Trimmed(text, lines[open]).find('{') == std::string::npos)
        ++open;
    if (open >= last || Trimmed(text, lines[open]) != "{")
        return "";
    const std::string braceIndent = IndentOf(text, lines[open]);
    size_t close = open + 1;
    while (close <= last && !(Trimmed(text, lines[close]) == "}" && IndentOf(text, lines[close]) == braceIndent))
        ++close;
    if (close > last)
        return "";
    const std::string indent = braceIndent + "  ";
    const std::string scope = m.className + "::" + (m.name.empty() ? m.member->name : m.name);
    return Zone(indent, scope, m.id, m.accessor + "body", ZoneText(text, lines, open + 1, close, indent));
}

} // namespace

std::string CarriedZones(const std::string& userText, bool csharp, const std::vector<AddedMethod>& added)
{
    const std::vector<Line> lines = LinesOf(userText);
    std::string out;
    for (const AddedMethod& m : added)
        if (!m.id.empty())
            out += csharp ? CSharpZones(userText, lines, m) : DelphiZones(userText, lines, m);
    if (!out.empty())
        out = "\r\n" + out;
    return out;
}

} // namespace VexloReverse
