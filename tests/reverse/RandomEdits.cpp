#include "RandomEdits.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <regex>

namespace ReverseTest {

CodeFile CodeFile::Parse(const std::string& path, const std::string& text)
{
    CodeFile file;
    file.path = path;
    file.csharp = path.size() > 3 && path.compare(path.size() - 3, 3, ".cs") == 0;
    file.eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    file.finalEol = !text.empty() && text.back() == '\n';
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        file.lines.push_back(line);
        from = end == std::string::npos ? text.size() : end + 1;
    }
    return file;
}

std::string CodeFile::Text() const
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += lines[i] + (i + 1 < lines.size() || finalEol ? eol : "");
    return text;
}

namespace {

const char* const kIdent = "[A-Za-z_][A-Za-z0-9_]*";

// A class declaration: its name, the lines [begin, end] of its body, its members' indent.
struct Cls {
    std::string name;
    size_t begin = 0, end = 0;
    std::string indent;
};

std::vector<Cls> Classes(const CodeFile& f)
{
    std::vector<Cls> found;
    static const std::regex delphi(std::string("^  (") + kIdent + ") = class\\b(?! *of\\b)(?!.*;)");
    static const std::regex csharp(std::string("^( *)public (abstract |sealed )?class (") + kIdent + ")( :.*)? *$");
    for (size_t i = 0; i < f.lines.size(); ++i) {
        std::smatch m;
        if (!f.csharp && std::regex_search(f.lines[i], m, delphi)) {
            for (size_t e = i + 1; e < f.lines.size(); ++e)
                if (f.lines[e] == "  end;") {
                    found.push_back({m[1], i, e, "    "});
                    break;
                }
        } else if (f.csharp && std::regex_search(f.lines[i], m, csharp) && i + 1 < f.lines.size() &&
                   f.lines[i + 1] == m[1].str() + "{") {
            for (size_t e = i + 2; e < f.lines.size(); ++e)
                if (f.lines[e] == m[1].str() + "}") {
                    found.push_back({m[3], i, e, m[1].str() + "  "});
                    break;
                }
        }
    }
    return found;
}

// How often a name stands in the file as a word, outside the zone markers (Delphi: any case).
int Uses(const CodeFile& f, const std::string& name)
{
    const std::regex word("\\b" + name + "\\b", f.csharp ? std::regex::ECMAScript : std::regex::icase);
    int n = 0;
    for (const std::string& line : f.lines)
        if (line.find("//## ") == std::string::npos)
            n += static_cast<int>(std::distance(std::sregex_iterator(line.begin(), line.end(), word), std::sregex_iterator()));
    return n;
}

std::string Basic(const CodeFile& f, std::mt19937& rng, const std::string& not_)
{
    static const std::vector<std::string> delphi = {"Integer", "string", "Boolean", "Double"},
                                          csharp = {"int", "string", "bool", "double"};
    const std::vector<std::string>& types = f.csharp ? csharp : delphi;
    std::string t;
    do
        t = types[rng() % types.size()];
    while (t == not_);
    return t;
}

bool IsBasic(const CodeFile& f, const std::string& type)
{
    return f.csharp ? type == "int" || type == "string" || type == "bool" || type == "double"
                    : type == "Integer" || type == "string" || type == "Boolean" || type == "Double";
}

// The line a member of the given section is added after: the section's zone end marker.
std::optional<size_t> SectionEnd(const CodeFile& f, const Cls& c, const std::string& section)
{
    const std::string tail = "." + section;
    for (size_t i = c.begin; i < c.end; ++i)
        if (f.lines[i].find("//## end ") != std::string::npos && f.lines[i].size() > tail.size() &&
            f.lines[i].compare(f.lines[i].size() - tail.size(), tail.size(), tail) == 0)
            return i + 1;
    return std::nullopt;
}

// Where a Delphi unit's new method bodies go: before "initialization", else before "end.".
size_t ImplementationEnd(const CodeFile& f)
{
    for (size_t i = 0; i < f.lines.size(); ++i)
        if (f.lines[i] == "initialization")
            return i;
    for (size_t i = f.lines.size(); i-- > 0;)
        if (f.lines[i] == "end.")
            return i;
    return f.lines.size();
}

void Insert(CodeFile& f, size_t at, std::vector<std::string> lines)
{
    f.lines.insert(f.lines.begin() + static_cast<std::ptrdiff_t>(at), lines.begin(), lines.end());
}

// A member line of the class matching the pattern at its own indent, chosen at random
// among those whose name (submatch 'name') the file uses `uses` times. The submatches
// are copies: the edits change the lines.
struct Member {
    size_t line;
    std::vector<std::string> m;
    std::vector<size_t> at; // the submatches' positions in the line
};
std::optional<Member> PickMember(const CodeFile& f, const Cls& c, const std::string& pattern, size_t name, int uses,
                                 std::mt19937& rng)
{
    const std::regex re("^" + c.indent + pattern + "$");
    std::vector<Member> found;
    for (size_t i = c.begin + 1; i < c.end; ++i) {
        std::smatch m;
        if (!std::regex_match(f.lines[i], m, re) || m[name].str() == c.name || Uses(f, m[name]) != uses)
            continue;
        // A C# method of a model whose names have spaces reads as "public first second()":
        // a result type is a known type or a capitalised name.
        if (f.csharp && pattern.rfind("public", 0) == 0 && !IsBasic(f, m[1]) && m[1] != "void" &&
            !std::isupper(static_cast<unsigned char>(m[1].str()[0])))
            continue;
        Member member{i, {}, {}};
        for (size_t g = 0; g < m.size(); ++g) {
            member.m.push_back(m[g].str());
            member.at.push_back(static_cast<size_t>(m.position(g)));
        }
        found.push_back(std::move(member));
    }
    if (found.empty())
        return std::nullopt;
    return found[rng() % found.size()];
}

// Delphi: "function|procedure NAME(PARAMS)[: RESULT];" with no directives.
const std::string kDelphiMethod = std::string("(function|procedure) (") + kIdent + ")\\(([^)]*)\\)(: (" + kIdent + "))?;";
// C#: "public RESULT NAME(PARAMS)" followed by its body.
const std::string kCSharpMethod = std::string("public (") + kIdent + ") (" + kIdent + ")\\(([^)]*)\\)";

// The Delphi implementation header of a method, or the C# body's last line.
std::optional<size_t> BodyOf(const CodeFile& f, const Cls& c, const Member& m)
{
    if (f.csharp) {
        for (size_t i = m.line + 1; i < f.lines.size(); ++i)
            if (f.lines[i] == c.indent + "}")
                return i;
        return std::nullopt;
    }
    const std::string head = m.m[1] + " " + c.name + "." + m.m[2] + "(";
    for (size_t i = c.end; i < f.lines.size(); ++i)
        if (f.lines[i].rfind(head, 0) == 0)
            return i;
    return std::nullopt;
}

// A C# class's name as the generator writes a base: with its namespaces.
std::string Qualified(const CodeFile& f, const Cls& c)
{
    static const std::regex ns(std::string("^( *)namespace (") + kIdent + "(\\." + kIdent + ")*)$");
    std::string name;
    for (size_t i = 0; i < c.begin; ++i) {
        std::smatch m;
        if (!std::regex_match(f.lines[i], m, ns))
            continue;
        size_t close = i + 1;
        while (close < f.lines.size() && f.lines[close] != m[1].str() + "}")
            ++close;
        if (close > c.end)
            name += m[2].str() + ".";
    }
    return name + c.name;
}

// A declaration with a documentation comment on the line before it.
bool Documented(const CodeFile& f, size_t line)
{
    if (line == 0)
        return false;
    const std::string& before = f.lines[line - 1];
    const size_t text = before.find_first_not_of(' ');
    return text != std::string::npos && (before.compare(text, 3, "///") == 0 || before[text] == '{');
}

using Edit = std::function<std::string(CodeFile&, const Cls&, std::mt19937&, int)>;

std::string Renamed(CodeFile& f, size_t line, const std::string& from, const std::string& to)
{
    f.lines[line] = std::regex_replace(f.lines[line], std::regex("\\b" + from + "\\b"), to);
    return from + " to " + to;
}

const std::vector<std::pair<const char*, Edit>>& Edits()
{
    static const std::vector<std::pair<const char*, Edit>> edits = {
        {"add field", [](CodeFile& f, const Cls& c, std::mt19937&, int k) -> std::string {
             auto at = SectionEnd(f, c, "private");
             if (!at)
                 return "";
             Insert(f, *at, {c.indent + (f.csharp ? "private int FRnd" + std::to_string(k) + ";"
                                                  : "FRnd" + std::to_string(k) + ": Integer;")});
             return "FRnd" + std::to_string(k);
         }},
        {"rename field", [](CodeFile& f, const Cls& c, std::mt19937& rng, int k) -> std::string {
             auto m = f.csharp ? PickMember(f, c, std::string("private (") + kIdent + ") (F" + kIdent + ");", 2, 1, rng)
                               : PickMember(f, c, std::string("(F") + kIdent + "): (" + kIdent + ");", 1, 1, rng);
             if (!m)
                 return "";
             const std::string name = m->m[f.csharp ? 2 : 1];
             return Renamed(f, m->line, name, "FRen" + std::to_string(k));
         }},
        {"retype field", [](CodeFile& f, const Cls& c, std::mt19937& rng, int) -> std::string {
             auto m = f.csharp ? PickMember(f, c, std::string("private (") + kIdent + ") (F" + kIdent + ");", 2, 1, rng)
                               : PickMember(f, c, std::string("(F") + kIdent + "): (" + kIdent + ");", 1, 1, rng);
             const size_t type = f.csharp ? 1 : 2;
             if (!m || !IsBasic(f, m->m[type]))
                 return "";
             const std::string to = Basic(f, rng, m->m[type]);
             f.lines[m->line].replace(m->at[type], m->m[type].size(), to);
             return m->m[f.csharp ? 2 : 1] + " to " + to;
         }},
        {"add method", [](CodeFile& f, const Cls& c, std::mt19937&, int k) -> std::string {
             auto at = SectionEnd(f, c, "public");
             if (!at)
                 return "";
             const std::string name = "Rnd" + std::to_string(k), n = std::to_string(k);
             if (f.csharp) {
                 Insert(f, *at, {c.indent + "public int " + name + "(int value)", c.indent + "{",
                                 c.indent + "  return value + " + n + ";", c.indent + "}"});
             } else {
                 Insert(f, ImplementationEnd(f), {"function " + c.name + "." + name + "(AValue: Integer): Integer;",
                                                  "var", "  N: Integer;", "begin", "  N := " + n + ";",
                                                  "  Result := AValue + N;", "end;", ""});
                 Insert(f, *at, {c.indent + "function " + name + "(AValue: Integer): Integer;"});
             }
             return name;
         }},
        {"rename method", [](CodeFile& f, const Cls& c, std::mt19937& rng, int k) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             auto body = m ? BodyOf(f, c, *m) : std::nullopt;
             if (!body)
                 return "";
             const std::string name = m->m[2], to = "Ren" + std::to_string(k);
             if (!f.csharp)
                 Renamed(f, *body, name, to);
             return Renamed(f, m->line, name, to);
         }},
        {"change parameters", [](CodeFile& f, const Cls& c, std::mt19937& rng, int k) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             auto body = m ? BodyOf(f, c, *m) : std::nullopt;
             if (!body)
                 return "";
             const std::string params = m->m[3], extra = f.csharp ? "int extra" + std::to_string(k)
                                                                   : "AExtra" + std::to_string(k) + ": Integer";
             const std::string to = params.empty() ? extra : params + (f.csharp ? "," : ";") + extra;
             for (size_t line : f.csharp ? std::vector<size_t>{m->line} : std::vector<size_t>{m->line, *body})
                 f.lines[line].replace(f.lines[line].find("(" + params + ")"), params.size() + 2, "(" + to + ")");
             return m->m[2] + " to (" + to + ")";
         }},
        {"change result", [](CodeFile& f, const Cls& c, std::mt19937& rng, int) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             const std::string result = m ? m->m[f.csharp ? 1 : 5] : "";
             auto body = m && IsBasic(f, result) ? BodyOf(f, c, *m) : std::nullopt;
             if (!body)
                 return "";
             const std::string to = Basic(f, rng, result);
             if (f.csharp) {
                 f.lines[m->line].replace(f.lines[m->line].find("public " + result), 7 + result.size(), "public " + to);
             } else {
                 for (size_t line : {m->line, *body})
                     f.lines[line].replace(f.lines[line].rfind(": " + result + ";"), result.size() + 3, ": " + to + ";");
             }
             return m->m[2] + " to " + to;
         }},
        {"make virtual", [](CodeFile& f, const Cls& c, std::mt19937& rng, int) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             if (!m)
                 return "";
             if (f.csharp)
                 f.lines[m->line].replace(c.indent.size(), 7, "public virtual ");
             else
                 f.lines[m->line] += " virtual;";
             return m->m[2];
         }},
        {"make protected", [](CodeFile& f, const Cls& c, std::mt19937& rng, int) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             auto at = m ? SectionEnd(f, c, "protected") : std::nullopt;
             auto pub = m ? SectionEnd(f, c, "public") : std::nullopt;
             if (!at || !pub || *pub > m->line || Documented(f, m->line))
                 return "";
             if (f.csharp) {
                 f.lines[m->line].replace(c.indent.size(), 6, "protected");
             } else {
                 const std::string line = f.lines[m->line];
                 f.lines.erase(f.lines.begin() + static_cast<std::ptrdiff_t>(m->line));
                 Insert(f, *at, {line});
             }
             return m->m[2];
         }},
        {"document method", [](CodeFile& f, const Cls& c, std::mt19937& rng, int k) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             auto body = m ? BodyOf(f, c, *m) : std::nullopt;
             if (!body || Documented(f, m->line) || (!f.csharp && Documented(f, *body)))
                 return "";
             const std::string doc = "Note " + std::to_string(k) + ".";
             if (f.csharp) {
                 Insert(f, m->line, {c.indent + "/// <summary>", c.indent + "/// " + doc, c.indent + "/// </summary>"});
             } else {
                 Insert(f, *body, {"{" + doc + "}"});
                 Insert(f, m->line, {c.indent + "{" + doc + "}"});
             }
             return m->m[2];
         }},
        {"remove method", [](CodeFile& f, const Cls& c, std::mt19937& rng, int) -> std::string {
             auto m = PickMember(f, c, f.csharp ? kCSharpMethod : kDelphiMethod, 2, f.csharp ? 1 : 2, rng);
             auto body = m ? BodyOf(f, c, *m) : std::nullopt;
             if (!body || Documented(f, m->line) || (!f.csharp && Documented(f, *body)))
                 return "";
             auto cut = [&f](size_t from, size_t to) {
                 f.lines.erase(f.lines.begin() + static_cast<std::ptrdiff_t>(from),
                               f.lines.begin() + static_cast<std::ptrdiff_t>(to));
             };
             if (f.csharp) {
                 cut(m->line, *body + 1);
             } else {
                 size_t end = *body;
                 while (end < f.lines.size() && f.lines[end] != "end;")
                     ++end;
                 cut(*body, std::min(f.lines.size(), end + 2));
                 cut(m->line, m->line + 1);
             }
             return m->m[2];
         }},
        {"add property", [](CodeFile& f, const Cls& c, std::mt19937&, int k) -> std::string {
             auto at = SectionEnd(f, c, "public");
             if (!at)
                 return "";
             const std::string name = "Prop" + std::to_string(k), n = std::to_string(k);
             if (f.csharp) {
                 Insert(f, *at, {c.indent + "public int " + name + " ", c.indent + "{", c.indent + "  get",
                                 c.indent + "  {", c.indent + "    return " + n + ";", c.indent + "  }", c.indent + "}"});
             } else {
                 Insert(f, ImplementationEnd(f), {"function " + c.name + ".Get" + name + "(): Integer;", "begin",
                                                  "  Result := " + n + ";", "end;", ""});
                 Insert(f, *at, {c.indent + "function Get" + name + "(): Integer;",
                                 c.indent + "property " + name + ": Integer read Get" + name + ";"});
             }
             return name;
         }},
        {"add class", [](CodeFile& f, const Cls& c, std::mt19937&, int k) -> std::string {
             // The base may be a class added by an earlier edit of the same run.
             const std::string name = "TRnd" + std::to_string(k), field = "FIssue" + std::to_string(k);
             if (f.csharp) {
                 const std::string in = c.indent.substr(2);
                 size_t at = c.begin;
                 while (at > 0 && (f.lines[at - 1].find(".preface") != std::string::npos ||
                                   f.lines[at - 1].find(in + "///") == 0))
                     --at;
                 Insert(f, at, {in + "public class " + name + " : " + Qualified(f, c), in + "{",
                                     c.indent + "private int " + field + ";", c.indent + "public int Next(int step)",
                                     c.indent + "{", c.indent + "  return " + field + " + step;", c.indent + "}", in + "}"});
             } else {
                 Insert(f, ImplementationEnd(f), {"function " + name + ".Next(AStep: Integer): Integer;", "begin",
                                                  "  Result := " + field + " + AStep;", "end;", ""});
                 size_t at = c.begin;
                 while (at > 0 && f.lines[at - 1].find(".preface") != std::string::npos)
                     --at;
                 Insert(f, at, {"  " + name + " = class (" + c.name + ")", "  private", "    " + field + ": Integer;",
                                "  public", "    function Next(AStep: Integer): Integer;", "  end;", ""});
             }
             return name + " (base " + c.name + ")";
         }},
        {"type into a zone", [](CodeFile& f, const Cls& c, std::mt19937& rng, int k) -> std::string {
             std::vector<size_t> zones;
             for (size_t i = c.begin; i < f.lines.size(); ++i)
                 if ((f.lines[i].find("//## begin " + c.name + "%") != std::string::npos ||
                      f.lines[i].find("//## begin " + c.name + "::") != std::string::npos) &&
                     f.lines[i].find("preserve=yes") != std::string::npos)
                     zones.push_back(i);
             if (zones.empty())
                 return "";
             const size_t at = zones[rng() % zones.size()];
             const std::string indent = f.lines[at].substr(0, f.lines[at].find("//"));
             Insert(f, at + 1, {indent + "// kept " + std::to_string(k)});
             return f.lines[at].substr(indent.size() + 11);
         }},
    };
    return edits;
}

} // namespace

std::string ApplyRandomEdit(std::vector<CodeFile>& files, std::mt19937& rng, int k)
{
    const auto& edits = Edits();
    std::vector<size_t> kinds(edits.size());
    for (size_t i = 0; i < kinds.size(); ++i)
        kinds[i] = i;
    std::shuffle(kinds.begin(), kinds.end(), rng);
    for (size_t kind : kinds) {
        std::vector<std::pair<CodeFile*, Cls>> candidates;
        for (CodeFile& f : files)
            for (const Cls& c : Classes(f))
                candidates.push_back({&f, c});
        std::shuffle(candidates.begin(), candidates.end(), rng);
        for (auto& [file, cls] : candidates) {
            std::string what = edits[kind].second(*file, cls, rng, k);
            if (!what.empty())
                return std::string(edits[kind].first) + " " + what + " in " + cls.name + " (" + file->path + ")";
        }
    }
    return "";
}

} // namespace ReverseTest
