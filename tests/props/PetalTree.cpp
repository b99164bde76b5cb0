#include "PetalTree.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace PropsTest {

const PetalValue* PetalValue::Field(std::string_view key) const
{
    for (const auto& f : fields)
        if (f.first == key)
            return f.second.get();
    return nullptr;
}

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    std::vector<PetalPtr> ReadAll()
    {
        std::vector<PetalPtr> out;
        SkipBlanks();
        while (m_pos < m_text.size()) {
            out.push_back(ReadValue());
            SkipBlanks();
        }
        return out;
    }

private:
    std::string_view m_text;
    size_t m_pos = 0;
    unsigned m_line = 1;

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw PetalError("line " + std::to_string(m_line) + ": " + what);
    }

    bool AtLineStart() const { return m_pos == 0 || m_text[m_pos - 1] == '\n'; }

    void SkipBlanks()
    {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n')
                ++m_line;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
                break;
            ++m_pos;
        }
    }

    char Peek()
    {
        SkipBlanks();
        if (m_pos >= m_text.size())
            Fail("unexpected end of text (unbalanced brackets)");
        return m_text[m_pos];
    }

    PetalPtr Make(PetalValue::Kind kind)
    {
        auto v = std::make_shared<PetalValue>();
        v->kind = kind;
        v->line = m_line;
        return v;
    }

    std::string ReadWord()
    {
        SkipBlanks();
        size_t start = m_pos;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (std::isspace(static_cast<unsigned char>(c)) || c == '(' || c == ')' || c == ',' || c == '"')
                break;
            ++m_pos;
        }
        if (start == m_pos)
            Fail(m_pos < m_text.size() ? std::string("unexpected character '") + m_text[m_pos] + "'"
                                       : std::string("unexpected end of text"));
        return std::string(m_text.substr(start, m_pos - start));
    }

    std::string ReadString()
    {
        ++m_pos; // opening quote
        std::string s;
        while (true) {
            if (m_pos >= m_text.size() || m_text[m_pos] == '\n')
                Fail("unterminated string");
            char c = m_text[m_pos++];
            if (c == '"')
                return s;
            if (c == '\\') {
                if (m_pos >= m_text.size() || (m_text[m_pos] != '\\' && m_text[m_pos] != '"'))
                    Fail("unknown escape in string");
                c = m_text[m_pos++];
            }
            s += c;
        }
    }

    // '|' lines; each starts in the first column.
    std::string ReadTextLines()
    {
        std::string s;
        bool first = true;
        while (m_pos < m_text.size() && m_text[m_pos] == '|' && AtLineStart()) {
            size_t end = m_text.find('\n', m_pos);
            if (end == std::string_view::npos)
                end = m_text.size();
            std::string_view line = m_text.substr(m_pos + 1, end - m_pos - 1);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (!first)
                s += "\r\n";
            s += line;
            first = false;
            m_pos = end;
            if (m_pos < m_text.size()) {
                ++m_pos;
                ++m_line;
            }
        }
        return s;
    }

    PetalPtr ReadValue()
    {
        char c = Peek();
        if (c == '(')
            return ReadForm();
        if (c == ')')
            Fail("unexpected ')'");
        if (c == '"') {
            auto v = Make(PetalValue::Kind::String);
            v->text = ReadString();
            return v;
        }
        if (c == '|' && AtLineStart()) {
            auto v = Make(PetalValue::Kind::Text);
            v->text = ReadTextLines();
            return v;
        }
        auto v = Make(PetalValue::Kind::Identifier);
        v->text = ReadWord();
        if (v->text[0] == '@')
            v->kind = PetalValue::Kind::Reference;
        else if (std::isdigit(static_cast<unsigned char>(v->text[0])) || v->text[0] == '-')
            v->kind = PetalValue::Kind::Number;
        return v;
    }

    PetalPtr ReadForm()
    {
        unsigned line = m_line;
        ++m_pos; // '('
        PetalPtr v;
        if (Peek() != '"' && Peek() != '(' && Peek() != ')') {
            size_t save = m_pos;
            std::string word = ReadWord();
            if (word == "object") {
                v = Make(PetalValue::Kind::Object);
                v->text = ReadWord();
                while (Peek() == '"')
                    v->names.push_back(ReadString());
                if (Peek() == '@')
                    ReadWord();
                while (Peek() != ')') {
                    std::string key = ReadWord();
                    if (Peek() == ')')
                        Fail("field '" + key + "' without a value");
                    v->fields.emplace_back(key, ReadValue());
                }
            } else if (word == "list" || word == "value") {
                v = Make(word == "list" ? PetalValue::Kind::List : PetalValue::Kind::Value);
                char n = Peek();
                if (n != ')' && n != '(' && n != '"' && n != '|')
                    v->text = ReadWord();
                while (Peek() != ')')
                    v->items.push_back(ReadValue());
            } else {
                m_pos = save;
            }
        }
        if (!v) {
            v = Make(PetalValue::Kind::Tuple);
            while (Peek() != ')') {
                v->items.push_back(ReadValue());
                if (Peek() == ',')
                    ++m_pos;
            }
        }
        ++m_pos; // ')'
        v->line = line;
        return v;
    }
};

} // namespace

std::vector<PetalPtr> ReadPetal(std::string_view text)
{
    return Reader(text).ReadAll();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw PetalError("cannot open " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace PropsTest
