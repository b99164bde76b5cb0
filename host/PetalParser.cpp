#include "PetalParser.h"

#include "vxplat/CodePage.h"

#include <cwchar>
#include <deque>
#include <iterator>

namespace RoseHost {

static std::wstring Location(const std::wstring& file, unsigned line, unsigned column, const std::wstring& message)
{
    return file + L":" + std::to_wstring(line) + L":" + std::to_wstring(column) + L": " + message;
}

RoseLoadError::RoseLoadError(const std::wstring& file, unsigned line, unsigned column, const std::wstring& message)
    : std::runtime_error(ToUtf8(Location(file, line, column, message))),
      m_file(file), m_line(line), m_column(column), m_message(message)
{
}

std::wstring RoseLoadError::WideWhat() const
{
    return Location(m_file, m_line, m_column, m_message);
}

const PetalNode* PetalDocument::Field(const PetalNode& object, std::string_view key) const
{
    for (size_t i = 0; i < object.keys.size(); ++i)
        if (object.keys[i] == key)
            return &nodes[object.children[i]];
    return nullptr;
}

namespace {

enum class Tok { LParen, RParen, Comma, String, Text, Number, Ident, Ref, End };

struct Token {
    Tok kind = Tok::End;
    unsigned line = 1;
    unsigned column = 1;
    std::string text;
};

// Bytes shown in messages: printable ASCII as is, anything else as a code.
std::wstring Describe(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 0x21 && u < 0x7F)
        return std::wstring(L"'") + static_cast<wchar_t>(u) + L"'";
    wchar_t buf[16];
    swprintf(buf, 16, L"byte 0x%02X", u);
    return buf;
}

class Lexer {
public:
    Lexer(std::string_view text, const std::wstring& file, unsigned codePage)
        : m_text(text), m_file(file), m_codePage(codePage) {}

    Token Next()
    {
        Token t;
        SkipBlanks();
        t.line = m_line;
        t.column = Column();
        if (m_pos >= m_text.size()) {
            t.kind = Tok::End;
            return t;
        }
        const char c = m_text[m_pos];
        if (c == '(') { ++m_pos; t.kind = Tok::LParen; return t; }
        if (c == ')') { ++m_pos; t.kind = Tok::RParen; return t; }
        if (c == ',') { ++m_pos; t.kind = Tok::Comma; return t; }
        if (c == '"') { ReadString(t); return t; }
        if (c == '|' && m_pos == m_lineStart) { ReadText(t); return t; }
        if (c == '@') {
            ++m_pos;
            const size_t start = m_pos;
            while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
                ++m_pos;
            if (m_pos == start)
                Fail(t.line, t.column, L"'@' without a number");
            t.kind = Tok::Ref;
            t.text.assign(m_text.substr(start, m_pos - start));
            return t;
        }
        if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && m_pos + 1 < m_text.size() &&
                           (IsDigit(m_text[m_pos + 1]) || m_text[m_pos + 1] == '.'))) {
            const size_t start = m_pos;
            ++m_pos;
            while (m_pos < m_text.size() && (IsDigit(m_text[m_pos]) || m_text[m_pos] == '.' ||
                                             m_text[m_pos] == 'e' || m_text[m_pos] == 'E' ||
                                             ((m_text[m_pos] == '-' || m_text[m_pos] == '+') &&
                                              (m_text[m_pos - 1] == 'e' || m_text[m_pos - 1] == 'E'))))
                ++m_pos;
            t.kind = Tok::Number;
            t.text.assign(m_text.substr(start, m_pos - start));
            return t;
        }
        if (IsIdentStart(c)) {
            const size_t start = m_pos;
            while (m_pos < m_text.size() && IsIdentChar(m_text[m_pos]))
                ++m_pos;
            t.kind = Tok::Ident;
            t.text.assign(m_text.substr(start, m_pos - start));
            return t;
        }
        Fail(t.line, t.column, L"unexpected " + Describe(c));
    }

    [[noreturn]] void Fail(unsigned line, unsigned column, const std::wstring& message) const
    {
        throw RoseLoadError(m_file, line, column, message);
    }

private:
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
    static bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$'; }
    static bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c) || c == '-' || c == '.' || c == ':'; }

    unsigned Column() const { return static_cast<unsigned>(m_pos - m_lineStart) + 1; }

    void NewLineAt(size_t posAfterNewline)
    {
        ++m_line;
        m_lineStart = posAfterNewline;
    }

    void SkipBlanks()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '\n') {
                ++m_pos;
                NewLineAt(m_pos);
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\0' || c == '\x1A') {
                // A NUL or an EOF mark (Ctrl-Z) after the text is padding of old editors.
                ++m_pos;
            } else {
                break;
            }
        }
    }

    bool IsLeadByte(char c) const
    {
        const unsigned char u = static_cast<unsigned char>(c);
        return u >= 0x81 && m_codePage != 0 && IsDBCSLeadByteEx(m_codePage, u);
    }

    void ReadString(Token& t)
    {
        t.kind = Tok::String;
        ++m_pos; // opening quote
        for (;;) {
            if (m_pos >= m_text.size())
                Fail(t.line, t.column, L"unterminated string (end of file)");
            const char c = m_text[m_pos];
            if (c == '"') {
                ++m_pos;
                return;
            }
            if (c == '\n' || (c == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')) {
                // A name typed with a line break runs on into the next line. Rose indents
                // every other line, so a next line that starts with a blank, '(' or '|'
                // (or no next line) means the closing quote is missing.
                const size_t next = m_pos + (c == '\r' ? 2 : 1);
                if (next >= m_text.size() || m_text[next] == ' ' || m_text[next] == '\t' || m_text[next] == '(' ||
                    m_text[next] == '|' || m_text[next] == '\r' || m_text[next] == '\n')
                    Fail(t.line, t.column, L"unterminated string (end of line)");
                t.text += "\r\n";
                m_pos = next;
                NewLineAt(m_pos);
                continue;
            }
            if (c == '\\' && m_pos + 1 < m_text.size() && (m_text[m_pos + 1] == '\\' || m_text[m_pos + 1] == '"')) {
                t.text += m_text[m_pos + 1];
                m_pos += 2;
                continue;
            }
            if (IsLeadByte(c) && m_pos + 1 < m_text.size() && m_text[m_pos + 1] != '\n' && m_text[m_pos + 1] != '\r') {
                t.text.append(m_text.substr(m_pos, 2));
                m_pos += 2;
                continue;
            }
            t.text += c;
            ++m_pos;
        }
    }

    // Lines starting with '|' in the first column, up to the first line that does not.
    void ReadText(Token& t)
    {
        t.kind = Tok::Text;
        bool first = true;
        while (m_pos < m_text.size() && m_pos == m_lineStart && m_text[m_pos] == '|') {
            ++m_pos;
            size_t end = m_text.find('\n', m_pos);
            if (end == std::string_view::npos)
                end = m_text.size();
            size_t stop = end;
            if (stop > m_pos && m_text[stop - 1] == '\r')
                --stop;
            if (!first)
                t.text += "\r\n";
            first = false;
            t.text.append(m_text.substr(m_pos, stop - m_pos));
            if (end < m_text.size()) {
                m_pos = end + 1;
                NewLineAt(m_pos);
            } else {
                m_pos = end;
            }
        }
    }

    std::string_view m_text;
    const std::wstring& m_file;
    unsigned m_codePage;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    unsigned m_line = 1;
};

class Parser {
public:
    Parser(std::string_view text, PetalDocument& doc, const PetalParseOptions& options)
        : m_lex(text, doc.fileName, options.codePage), m_doc(doc), m_maxDepth(options.maxDepth)
    {
        Advance();
    }

    void ParseFile()
    {
        while (m_tok.kind != Tok::End) {
            if (m_tok.kind != Tok::LParen)
                m_lex.Fail(m_tok.line, m_tok.column, L"expected '(' at the top level");
            m_doc.roots.push_back(ParseValue(0));
        }
    }

private:
    void Advance() { m_tok = m_lex.Next(); }

    PetalIndex NewNode(PetalKind kind, const Token& at)
    {
        PetalNode n;
        n.kind = kind;
        n.line = at.line;
        n.column = at.column;
        m_doc.nodes.push_back(std::move(n));
        return static_cast<PetalIndex>(m_doc.nodes.size() - 1);
    }

    [[noreturn]] void Unclosed(const Token& open)
    {
        m_lex.Fail(m_tok.line, m_tok.column,
                   L"unexpected end of file: the '(' at line " + std::to_wstring(open.line) + L", column " +
                       std::to_wstring(open.column) + L" is not closed");
    }

    PetalIndex ParseValue(unsigned depth)
    {
        switch (m_tok.kind) {
        case Tok::String:
        case Tok::Text:
        case Tok::Number:
        case Tok::Ident:
        case Tok::Ref: {
            static constexpr PetalKind kinds[] = {PetalKind::Tuple, PetalKind::Tuple, PetalKind::Tuple,
                                                  PetalKind::String, PetalKind::Text, PetalKind::Number,
                                                  PetalKind::Identifier, PetalKind::Reference};
            const PetalIndex i = NewNode(kinds[static_cast<int>(m_tok.kind)], m_tok);
            m_doc.nodes[i].text = std::move(m_tok.text);
            Advance();
            return i;
        }
        case Tok::LParen:
            return ParseForm(depth + 1);
        case Tok::End:
            m_lex.Fail(m_tok.line, m_tok.column, L"unexpected end of file: a value is missing");
        case Tok::RParen:
            m_lex.Fail(m_tok.line, m_tok.column, L"unexpected ')': a value is missing");
        case Tok::Comma:
            break;
        }
        m_lex.Fail(m_tok.line, m_tok.column, L"unexpected ','");
    }

    PetalIndex ParseForm(unsigned depth)
    {
        const Token open = m_tok;
        if (depth > m_maxDepth)
            m_lex.Fail(open.line, open.column, L"nesting deeper than " + std::to_wstring(m_maxDepth) + L" levels");
        Advance();
        if (m_tok.kind == Tok::Ident && m_tok.text == "object")
            return ParseObject(open, depth);
        if (m_tok.kind == Tok::Ident && m_tok.text == "list") {
            const PetalIndex i = NewNode(PetalKind::List, open);
            Advance();
            if (m_tok.kind == Tok::Ident) {
                m_doc.nodes[i].text = std::move(m_tok.text);
                Advance();
            }
            ParseItems(i, open, depth);
            return i;
        }
        if (m_tok.kind == Tok::Ident && m_tok.text == "value") {
            const PetalIndex i = NewNode(PetalKind::ValueTuple, open);
            Advance();
            if (m_tok.kind != Tok::Ident)
                ExpectedAfter(L"a type name", L"'(value'");
            m_doc.nodes[i].text = std::move(m_tok.text);
            Advance();
            ParseItems(i, open, depth);
            return i;
        }
        const PetalIndex i = NewNode(PetalKind::Tuple, open);
        ParseItems(i, open, depth);
        return i;
    }

    [[noreturn]] void ExpectedAfter(const std::wstring& what, const std::wstring& after)
    {
        if (m_tok.kind == Tok::End)
            m_lex.Fail(m_tok.line, m_tok.column, L"unexpected end of file: expected " + what + L" after " + after);
        m_lex.Fail(m_tok.line, m_tok.column, L"expected " + what + L" after " + after);
    }

    // Items up to the closing ')', commas between them optional.
    void ParseItems(PetalIndex node, const Token& open, unsigned depth)
    {
        std::vector<PetalIndex>& children = Level(depth).children;
        children.clear();
        for (;;) {
            if (m_tok.kind == Tok::RParen) {
                Advance();
                m_doc.nodes[node].children.assign(children.begin(), children.end());
                return;
            }
            if (m_tok.kind == Tok::End)
                Unclosed(open);
            if (m_tok.kind == Tok::Comma) {
                Advance();
                continue;
            }
            children.push_back(ParseValue(depth));
        }
    }

    PetalIndex ParseObject(const Token& open, unsigned depth)
    {
        const PetalIndex i = NewNode(PetalKind::Object, open);
        Advance();
        if (m_tok.kind != Tok::Ident)
            ExpectedAfter(L"a type name", L"'(object'");
        m_doc.nodes[i].text = std::move(m_tok.text);
        Advance();
        while (m_tok.kind == Tok::String) {
            m_doc.nodes[i].names.push_back(std::move(m_tok.text));
            Advance();
        }
        if (m_tok.kind == Tok::Ref) {
            m_doc.nodes[i].tag = std::move(m_tok.text);
            Advance();
        }
        Scratch& level = Level(depth);
        level.keys.clear();
        level.children.clear();
        for (;;) {
            if (m_tok.kind == Tok::RParen) {
                Advance();
                PetalNode& n = m_doc.nodes[i];
                n.keys.assign(std::make_move_iterator(level.keys.begin()), std::make_move_iterator(level.keys.end()));
                n.children.assign(level.children.begin(), level.children.end());
                return i;
            }
            if (m_tok.kind == Tok::End)
                Unclosed(open);
            if (m_tok.kind != Tok::Ident)
                m_lex.Fail(m_tok.line, m_tok.column, L"expected a field name in the object '" +
                                                         Widen(m_doc.nodes[i].text) + L"'");
            std::string key = std::move(m_tok.text);
            Advance();
            if (m_tok.kind == Tok::RParen || m_tok.kind == Tok::End) {
                if (m_tok.kind == Tok::End)
                    Unclosed(open);
                m_lex.Fail(m_tok.line, m_tok.column, L"the field '" + Widen(key) + L"' has no value");
            }
            const PetalIndex value = ParseValue(depth);
            level.keys.push_back(std::move(key));
            level.children.push_back(value);
        }
    }

    // The fields or items of the form open at one depth, gathered here so that each
    // node gets lists of exactly their size.
    struct Scratch {
        std::vector<std::string> keys;
        std::vector<PetalIndex> children;
    };
    Scratch& Level(unsigned depth)
    {
        while (m_levels.size() <= depth)
            m_levels.emplace_back();
        return m_levels[depth];
    }

    // Field and type names are ASCII identifiers.
    static std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

    Lexer m_lex;
    PetalDocument& m_doc;
    unsigned m_maxDepth;
    Token m_tok;
    std::deque<Scratch> m_levels; // stable: a level stays in use while deeper ones are added
};

} // namespace

PetalDocument ParsePetal(std::string_view text, const std::wstring& fileName, const PetalParseOptions& options)
{
    PetalDocument doc;
    doc.fileName = fileName;
    Parser parser(text, doc, options);
    parser.ParseFile();
    return doc;
}

} // namespace RoseHost
