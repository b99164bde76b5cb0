#include "BodyCarry.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "DelphiLexer.h"

namespace VexloReverse {

namespace {

using VexloCode::Delphi::Token;

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

bool IsRoutine(const std::string& w)
{
    return w == "procedure" || w == "function" || w == "constructor" || w == "destructor";
}

// From an opening token (begin, try, case, asm, record) to the index of its own `end`.
size_t MatchingEnd(const std::vector<Token>& t, size_t open)
{
    int depth = 0;
    for (size_t k = open; k < t.size() && t[k].kind != Token::Kind::End; ++k) {
        const std::string& w = t[k].lower;
        if (t[k].kind != Token::Kind::Word)
            continue;
        if (w == "begin" || w == "try" || w == "case" || w == "asm" || w == "record")
            ++depth;
        else if (w == "end" && --depth == 0)
            return k;
    }
    return t.size();
}

// Past a routine header's `;` and the directives after it (`overload; inline;`).
size_t PastHeader(const std::vector<Token>& t, size_t k)
{
    int depth = 0;
    for (; k < t.size() && t[k].kind != Token::Kind::End; ++k) {
        if (t[k].text == "(")
            ++depth;
        else if (t[k].text == ")")
            --depth;
        else if (t[k].text == ";" && depth == 0)
            break;
    }
    static const std::set<std::string> kLocal = {"var", "const", "type", "label", "begin", "asm", "procedure",
                                                 "function", "threadvar", "resourcestring", "end"};
    while (k + 2 < t.size() && t[k + 1].kind == Token::Kind::Word && !kLocal.count(t[k + 1].lower) &&
           t[k + 2].text == ";")
        k += 2;
    return k + 1;
}

// The `begin` (or `asm`) of the block whose declarations start at k: local routines and
// records (with their own `end`s) are passed over. t.size() when there is none.
size_t BlockStart(const std::vector<Token>& t, size_t k)
{
    while (k < t.size() && t[k].kind != Token::Kind::End) {
        const std::string& w = t[k].lower;
        if (w == "begin" || w == "asm")
            return k;
        if (w == "implementation" || w == "initialization" || w == "finalization")
            return t.size();
        if (IsRoutine(w)) {
            const size_t inner = BlockStart(t, PastHeader(t, k + 1));
            if (inner >= t.size())
                return t.size();
            k = MatchingEnd(t, inner) + 1;
        } else if (w == "record") {
            k = MatchingEnd(t, k) + 1;
        } else {
            ++k;
        }
    }
    return t.size();
}

// text[from, to) as zone text: a rest of a line that holds only blanks is left out at
// both ends, every line is ended, and a text that starts mid-line (`begin Result := 0;
// end;`) gets the indentation `indent`. "" when only blanks are there.
std::string Slice(const std::string& text, size_t from, size_t to, const std::string& indent)
{
    size_t nl = text.find('\n', from);
    if (nl != std::string::npos && nl < to && text.find_first_not_of(" \t\r", from) >= nl)
        from = nl + 1;
    size_t last = text.rfind('\n', to - 1);
    if (last != std::string::npos && last >= from && text.find_first_not_of(" \t\r", last + 1) >= to)
        to = last + 1;
    std::string out = text.substr(from, to - from);
    if (out.find_first_not_of(" \t\r\n") == std::string::npos)
        return "";
    if (from == 0 || text[from - 1] != '\n')
        out = indent + out.substr(out.find_first_not_of(" \t"));
    if (out.back() != '\n')
        out = out.substr(0, out.find_last_not_of(" \t") + 1) + "\r\n";
    return out;
}

// "procedure TX.Name(" in the implementation: its var lines and its body. A header whose
// block already holds zones is the generator's (an overload of the same name), and one
// taken by another added method of the same name is passed over.
std::string DelphiZones(const std::string& text, const std::vector<Token>& t, const AddedMethod& m,
                        std::set<size_t>& taken)
{
    const std::string method = Lowered(m.name.empty() ? m.member->name : m.name);
    const std::string owner = Lowered(m.className);
    for (size_t i = 0; i + 3 < t.size(); ++i) {
        if (!IsRoutine(t[i].lower) || t[i + 1].lower != owner || t[i + 2].text != "." || t[i + 3].lower != method ||
            taken.count(i))
            continue;
        const size_t header = PastHeader(t, i + 4), begin = BlockStart(t, header);
        const size_t end = begin < t.size() ? MatchingEnd(t, begin) : t.size();
        if (end >= t.size() || t[end].kind == Token::Kind::End)
            return "";
        const size_t from = t[header - 1].end, to = t[end].begin;
        if (text.substr(from, to - from).find("//## begin ") != std::string::npos)
            continue;
        taken.insert(i);
        const std::string scope = m.className + "::" + (m.name.empty() ? m.member->name : m.name);
        std::string zones;
        if (std::string var = Slice(text, from, t[begin].begin, ""); !var.empty())
            zones += Zone("", scope, m.id, m.accessor + "var", var);
        return zones + Zone("  ", scope, m.id, m.accessor + "body", Slice(text, t[begin].end, to, "  ") + "  ");
    }
    return "";
}

// The lines between the braces of a method, or of a property's get or set block; the
// opening brace on a line of its own or ending the header (`int Count() {`). A method
// with an expression body (`int Twice(int n) => n * 2;`) gets it as a statement.
std::string CSharpZones(const std::string& text, const std::vector<Line>& lines, const AddedMethod& m)
{
    if (m.member->line < 1 || static_cast<size_t>(m.member->endLine) > lines.size())
        return "";
    size_t open = static_cast<size_t>(m.member->line) - 1;
    const size_t last = static_cast<size_t>(m.member->endLine) - 1;
    const std::string scope = m.className + "::" + (m.name.empty() ? m.member->name : m.name);
    auto isAccessor = [&](const std::string& t) {
        return !m.accessor.empty() && t.compare(0, m.accessor.size(), m.accessor) == 0 &&
               (t.size() == m.accessor.size() || t[m.accessor.size()] == ' ' || t[m.accessor.size()] == '{');
    };
    if (!m.accessor.empty())
        while (open < last && !isAccessor(Trimmed(text, lines[open])))
            ++open;
    // An accessor's block opens on its own line or the next: never look past it into the other's.
    const size_t window = m.accessor.empty() ? last : std::min(last, open + 1);
    size_t brace = std::string::npos;
    for (; open <= window && brace == std::string::npos; ++open) {
        const std::string t = Trimmed(text, lines[open]);
        if (isAccessor(t) && t.find('{') != std::string::npos && t.back() == '}') { // get { return 3; }
            const std::string indent = IndentOf(text, lines[open]) + "  ";
            std::string inner = t.substr(t.find('{') + 1, t.size() - t.find('{') - 2);
            inner.erase(0, inner.find_first_not_of(" \t"));
            inner.erase(inner.find_last_not_of(" \t") + 1);
            return Zone(indent, scope, m.id, m.accessor + "body", inner.empty() ? indent : indent + inner + "\r\n" + indent);
        }
        if (const size_t arrow = t.find("=>"); m.accessor.empty() && arrow != std::string::npos && t.find('{') > arrow) {
            const size_t from = lines[open].begin + text.substr(lines[open].begin).find("=>") + 2;
            std::string expression = text.substr(from, lines[last].end - from);
            expression = expression.substr(0, expression.rfind(';'));
            expression.erase(0, expression.find_first_not_of(" \t\r\n"));
            const bool returns = !m.member->type.empty() && m.member->methodKind == "method";
            const std::string indent = IndentOf(text, lines[open]) + "  ";
            return Zone(indent, scope, m.id, "body",
                        indent + std::string(returns ? "return " : "") + expression + ";\r\n" + indent);
        }
        if (!t.empty() && t.back() == '{' && t.find('{') == t.size() - 1)
            brace = open;
    }
    if (brace == std::string::npos || brace >= last)
        return "";
    const std::string braceIndent = IndentOf(text, lines[brace]);
    size_t close = brace + 1;
    while (close <= last && !(Trimmed(text, lines[close]) == "}" && IndentOf(text, lines[close]) == braceIndent))
        ++close;
    if (close > last)
        return "";
    const std::string indent = braceIndent + "  ";
    return Zone(indent, scope, m.id, m.accessor + "body", ZoneText(text, lines, brace + 1, close, indent));
}

} // namespace

std::string CarriedZones(const std::string& userText, bool csharp, const std::vector<AddedMethod>& added)
{
    const std::vector<Line> lines = LinesOf(userText);
    const std::vector<Token> tokens = csharp ? std::vector<Token>() : VexloCode::Delphi::Lex(userText).tokens;
    std::set<size_t> taken;
    std::string out;
    for (const AddedMethod& m : added)
        if (!m.id.empty())
            out += csharp ? CSharpZones(userText, lines, m) : DelphiZones(userText, tokens, m, taken);
    if (!out.empty())
        out = "\r\n" + out;
    return out;
}

} // namespace VexloReverse
