#include "PetalParser.h"

#include "vxplat/CodePage.h"

#include <array>
#include <bit>
#include <cstring>
#include <cwchar>
#include <unordered_map>
#include <iterator>

namespace RoseHost {

// Line 0: the error concerns the file as a whole (it cannot be read), no place in it.
static std::wstring Location(const std::wstring& file, unsigned line, unsigned column, const std::wstring& message)
{
    if (line == 0)
        return file + L": " + message;
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

PetalNode PetalDocument::operator[](PetalIndex i) const
{
    const Record& r = At(i);
    PetalNode n;
    n.kind = r.kind;
    n.line = r.line;
    n.column = r.column;
    if (r.textSize)
        n.text = std::string_view(m_blocks[r.text >> kBlockBits].get() + (r.text & ((1u << kBlockBits) - 1)), r.textSize);
    n.names = PetalSpan<std::string_view>(m_names.data() + r.firstName, r.nameCount);
    if (r.hasTag)
        n.tag = m_names[r.firstName + r.nameCount];
    n.children = PetalSpan<PetalIndex>(m_children.data() + r.first, r.count);
    n.keys = PetalKeys(m_keyIds.data() + r.first, r.count, m_keyNames.data());
    return n;
}

PetalField PetalDocument::Field(const PetalNode& object, std::string_view key) const
{
    for (size_t i = 0; i < object.keys.size(); ++i)
        if (object.keys[i] == key)
            return PetalField((*this)[object.children[i]]);
    return PetalField();
}

namespace {

// The hash of identifiers, taken as they are read (field and type names are interned).
inline uint32_t HashStep(uint32_t h, char c) { return (h ^ static_cast<unsigned char>(c)) * 16777619u; }
constexpr uint32_t kHashSeed = 2166136261u;

uint32_t HashOf(std::string_view s)
{
    uint32_t h = kHashSeed;
    for (char c : s)
        h = HashStep(h, c);
    return h;
}

} // namespace

// Fills a document while the parser reads: texts go to large blocks, names used as field
// names or identifiers are kept once.
class PetalBuilder {
public:
    PetalBuilder(PetalDocument& doc, std::span<const std::string_view> knownNames) : m_doc(doc)
    {
        static_assert(sizeof(PetalDocument::Record) == 32, "a node record stays small");
        m_doc.m_keyNames.push_back(std::string_view()); // id 0: the items of lists
        m_keyRefs.push_back(0);
        m_slots.assign(256, 0);
        for (std::string_view name : knownNames)
            Intern(name, HashOf(name));
    }

    PetalIndex NewNode(PetalKind kind, unsigned line, unsigned column)
    {
        PetalDocument::Record r;
        r.kind = kind;
        r.line = line;
        r.column = column;
        const size_t i = m_doc.m_recordCount;
        if (i > UINT32_MAX)
            throw std::length_error("petal document too large");
        if ((i >> PetalDocument::kChunkBits) == m_doc.m_chunks.size())
            m_doc.m_chunks.emplace_back(sizeof(PetalDocument::Record) << PetalDocument::kChunkBits);
        m_doc.At(static_cast<PetalIndex>(i)) = r;
        ++m_doc.m_recordCount;
        return static_cast<PetalIndex>(i);
    }

    void SetText(PetalIndex i, std::string_view text)
    {
        const std::string_view kept = Store(text);
        Place(i, kept, m_ref);
    }
    // Identifiers and type names repeat thousands of times: kept once.
    void SetName(PetalIndex i, std::string_view text, uint32_t hash)
    {
        const uint32_t id = Intern(text, hash);
        Place(i, m_doc.m_keyNames[id], m_keyRefs[id]);
    }
    std::string_view Text(PetalIndex i) const { return m_doc[i].text; }

    // Names and the tag of an object, gathered until the object's fields begin.
    void SetNames(PetalIndex i, const std::vector<std::string_view>& names, bool hasTag)
    {
        PetalDocument::Record& r = m_doc.At(i);
        r.firstName = static_cast<uint32_t>(m_doc.m_names.size());
        r.nameCount = static_cast<uint16_t>(names.size() - (hasTag ? 1 : 0));
        r.hasTag = hasTag;
        m_doc.m_names.insert(m_doc.m_names.end(), names.begin(), names.end());
    }

    void SetItems(PetalIndex i, const std::vector<PetalIndex>& children, const std::vector<uint32_t>* keys)
    {
        PetalDocument::Record& r = m_doc.At(i);
        r.first = static_cast<uint32_t>(m_doc.m_children.size());
        r.count = static_cast<uint32_t>(children.size());
        m_doc.m_children.insert(m_doc.m_children.end(), children.begin(), children.end());
        if (keys)
            m_doc.m_keyIds.insert(m_doc.m_keyIds.end(), keys->begin(), keys->end());
        else
            m_doc.m_keyIds.resize(m_doc.m_children.size(), 0);
    }

    // `hash` is HashOf(name). Open addressing over the ids, at most half full.
    uint32_t Intern(std::string_view name, uint32_t hash)
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const uint32_t id = m_slots[at];
            if (id == 0)
                break;
            if (m_hashes[id] == hash && SameText(m_doc.m_keyNames[id], name))
                return id;
        }
        const std::string_view kept = Store(name);
        const uint32_t id = static_cast<uint32_t>(m_doc.m_keyNames.size());
        m_doc.m_keyNames.push_back(kept);
        m_keyRefs.push_back(m_ref);
        if (m_hashes.size() < id + 1)
            m_hashes.resize(id + 1);
        m_hashes[id] = hash;
        if (2 * id >= m_slots.size()) {
            m_slots.assign(m_slots.size() * 2, 0);
            for (uint32_t other = 1; other < id; ++other)
                Place(other);
        }
        Place(id);
        return id;
    }

    std::string_view KeyName(uint32_t id) const { return m_doc.m_keyNames[id]; }

    // Copies a text into the document; m_ref tells where it went.
    std::string_view Store(std::string_view s)
    {
        m_ref = 0;
        if (s.empty())
            return std::string_view();
        if (s.size() > m_left) {
            // Block numbers have 32 - kBlockBits bits: beyond about 4 GB of texts.
            if (m_doc.m_blocks.size() >= (size_t(1) << (32 - PetalDocument::kBlockBits)))
                throw std::length_error("petal document too large");
            if (s.size() > kBlock / 4) {
                // A long text gets a block of its own; the current one stays open.
                m_ref = static_cast<uint32_t>(m_doc.m_blocks.size()) << PetalDocument::kBlockBits;
                m_doc.m_blocks.emplace_back(s.size());
                std::memcpy(m_doc.m_blocks.back().get(), s.data(), s.size());
                return std::string_view(m_doc.m_blocks.back().get(), s.size());
            }
            m_doc.m_blocks.emplace_back(kBlock);
            m_next = m_doc.m_blocks.back().get();
            m_left = kBlock;
        }
        m_ref = (static_cast<uint32_t>(m_doc.m_blocks.size() - 1) << PetalDocument::kBlockBits) |
                static_cast<uint32_t>(kBlock - m_left);
        std::memcpy(m_next, s.data(), s.size());
        const std::string_view kept(m_next, s.size());
        m_next += s.size();
        m_left -= s.size();
        return kept;
    }

    // The shared arrays are final: no room kept for growth.
    void Finish()
    {
        m_doc.m_children.shrink_to_fit();
        m_doc.m_keyIds.shrink_to_fit();
        m_doc.m_names.shrink_to_fit();
    }

private:
    static constexpr size_t kBlock = size_t(1) << PetalDocument::kBlockBits;

    void Place(uint32_t id)
    {
        const size_t mask = m_slots.size() - 1;
        size_t at = m_hashes[id] & mask;
        while (m_slots[at] != 0)
            at = (at + 1) & mask;
        m_slots[at] = id;
    }

    void Place(PetalIndex i, std::string_view text, uint32_t ref)
    {
        m_doc.At(i).text = ref;
        m_doc.At(i).textSize = static_cast<uint32_t>(text.size());
    }

    PetalDocument& m_doc;
    std::vector<uint32_t> m_keyRefs; // parallel to the document's key names
    uint32_t m_ref = 0;
    std::vector<uint32_t> m_slots;  // ids by hash; 0 is free
    std::vector<uint32_t> m_hashes; // by id
    char* m_next = nullptr;
    size_t m_left = 0;
};

namespace {

enum class Tok { LParen, RParen, Comma, String, Text, Number, Ident, Ref, End };

struct Token {
    Tok kind = Tok::End;
    unsigned line = 1;
    unsigned column = 1;
    std::string_view text; // valid until the next token is read
    uint32_t hash = 0;     // identifiers: HashOf(text)
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

// Character classes of the lexer, one table look-up per byte.
enum : uint8_t { kBlank = 1, kIdentStart = 2, kIdentChar = 4, kDigit = 8, kStringStop = 16 };

constexpr std::array<uint8_t, 256> MakeClasses()
{
    std::array<uint8_t, 256> t{};
    for (int c : {' ', '\t', '\r', '\f', '\v', '\0', '\x1A'})
        t[static_cast<unsigned char>(c)] |= kBlank; // a NUL or an EOF mark after the text is padding of old editors
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] |= kIdentStart | kIdentChar;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] |= kIdentStart | kIdentChar;
    for (int c : {'_', '$'})
        t[c] |= kIdentStart | kIdentChar;
    for (int c = '0'; c <= '9'; ++c)
        t[c] |= kDigit | kIdentChar;
    for (int c : {'-', '.', ':'})
        t[c] |= kIdentChar;
    for (int c : {'"', '\\', '\n', '\r'})
        t[static_cast<unsigned char>(c)] |= kStringStop;
    return t;
}
constexpr std::array<uint8_t, 256> kClasses = MakeClasses();

inline bool Is(char c, uint8_t cls) { return (kClasses[static_cast<unsigned char>(c)] & cls) != 0; }

// Eight bytes at once: a mask with the high bit set in each byte equal to `b` (the
// lowest such byte is exact; a borrow may mark bytes above it, which are never used).
inline uint64_t BytesEqual(uint64_t x, unsigned char b)
{
    const uint64_t y = x ^ (0x0101010101010101ull * b);
    return (y - 0x0101010101010101ull) & ~y & 0x8080808080808080ull;
}

class Lexer {
public:
    Lexer(std::string_view text, const std::wstring& file, unsigned codePage)
        : m_text(text), m_end(text.size()), m_file(file)
    {
        // A double-byte code page: the lead bytes, looked up once instead of per byte.
        if (codePage != 0)
            for (unsigned b = 0x81; b < 0x100; ++b)
                if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b))) {
                    m_lead[b] = true;
                    m_hasLead = true;
                }
    }

    // Fills `t` in place: a token is read about once per four bytes of the file.
    void Next(Token& t)
    {
        const char* const s = m_text.data();
        size_t p = m_pos;
        while (p < m_end) {
            const char c = s[p];
            if (c == ' ') {
                ++p;
            } else if (c == '\n') {
                ++p;
                ++m_line;
                m_lineStart = p;
            } else if (Is(c, kBlank)) {
                ++p;
            } else {
                break;
            }
        }
        m_pos = p;
        t.line = m_line;
        t.column = static_cast<unsigned>(p - m_lineStart) + 1;
        if (p >= m_end) {
            t.kind = Tok::End;
            return;
        }
        const char c = s[p];
        switch (c) {
        case '(': m_pos = p + 1; t.kind = Tok::LParen; return;
        case ')': m_pos = p + 1; t.kind = Tok::RParen; return;
        case ',': m_pos = p + 1; t.kind = Tok::Comma; return;
        case '"': ReadString(t); return;
        default: break;
        }
        if (Is(c, kIdentStart)) {
            const size_t start = p;
            uint32_t h = HashStep(kHashSeed, c);
            for (++p; p < m_end && Is(s[p], kIdentChar); ++p)
                h = HashStep(h, s[p]);
            m_pos = p;
            t.kind = Tok::Ident;
            t.hash = h;
            t.text = std::string_view(s + start, p - start);
            return;
        }
        if (c == '|' && p == m_lineStart) { ReadText(t); return; }
        if (c == '@') {
            const size_t start = ++p;
            while (p < m_end && IsDigit(s[p]))
                ++p;
            if (p == start)
                Fail(t.line, t.column, L"'@' without a number");
            m_pos = p;
            t.kind = Tok::Ref;
            t.text = std::string_view(s + start, p - start);
            return;
        }
        if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && p + 1 < m_end &&
                           (IsDigit(s[p + 1]) || s[p + 1] == '.'))) {
            const size_t start = p;
            for (++p; p < m_end; ++p) {
                const char d = s[p];
                if (!(IsDigit(d) || d == '.' || d == 'e' || d == 'E' ||
                      ((d == '-' || d == '+') && (s[p - 1] == 'e' || s[p - 1] == 'E'))))
                    break;
            }
            m_pos = p;
            t.kind = Tok::Number;
            t.text = std::string_view(s + start, p - start);
            return;
        }
        Fail(t.line, t.column, L"unexpected " + Describe(c));
    }

    [[noreturn]] void Fail(unsigned line, unsigned column, const std::wstring& message) const
    {
        throw RoseLoadError(m_file, line, column, message);
    }

private:
    static bool IsDigit(char c) { return Is(c, kDigit); }

    void NewLineAt(size_t posAfterNewline)
    {
        ++m_line;
        m_lineStart = posAfterNewline;
    }

    bool IsLeadByte(char c) const { return m_lead[static_cast<unsigned char>(c)]; }

    // Where the plain part of a string ends: the first quote, backslash, line break or
    // (with a double-byte code page) byte above 0x7F, eight bytes at a time.
    size_t PlainEnd(size_t p) const
    {
        const char* const s = m_text.data();
        if constexpr (std::endian::native == std::endian::little) {
            const uint64_t high = m_hasLead ? 0x8080808080808080ull : 0;
            for (; p + 8 <= m_end; p += 8) {
                uint64_t x;
                std::memcpy(&x, s + p, 8);
                const uint64_t m = BytesEqual(x, '"') | BytesEqual(x, '\\') | BytesEqual(x, '\n') |
                                   BytesEqual(x, '\r') | (x & high);
                if (m)
                    return p + static_cast<size_t>(std::countr_zero(m) / 8);
            }
        }
        for (; p < m_end; ++p)
            if (Is(s[p], kStringStop) || (m_hasLead && IsLeadByte(s[p])))
                break;
        return p;
    }

    void ReadString(Token& t)
    {
        t.kind = Tok::String;
        // Most strings hold no escape, line break or double-byte character: a view of the file.
        const size_t start = m_pos + 1; // after the opening quote
        m_pos = PlainEnd(start);
        if (m_pos < m_end && m_text[m_pos] == '"') {
            t.text = m_text.substr(start, m_pos - start);
            ++m_pos;
            return;
        }
        ReadEscapedString(t, start);
    }

    // The rest of a string that holds an escape, a line break or a double-byte character:
    // rare, so kept out of the lexer's loop.
    [[gnu::noinline]] void ReadEscapedString(Token& t, size_t start)
    {
        m_buf.assign(m_text.substr(start, m_pos - start));
        for (;;) {
            if (m_pos >= m_end)
                Fail(t.line, t.column, L"unterminated string (end of file)");
            const char c = m_text[m_pos];
            if (c == '"') {
                ++m_pos;
                t.text = m_buf;
                return;
            }
            if (c == '\n' || (c == '\r' && m_pos + 1 < m_end && m_text[m_pos + 1] == '\n')) {
                // A name typed with a line break runs on into the next line. Rose indents
                // every other line, so a next line that starts with a blank, '(' or '|'
                // (or no next line) means the closing quote is missing.
                const size_t next = m_pos + (c == '\r' ? 2 : 1);
                if (next >= m_end || m_text[next] == ' ' || m_text[next] == '\t' || m_text[next] == '(' ||
                    m_text[next] == '|' || m_text[next] == '\r' || m_text[next] == '\n')
                    Fail(t.line, t.column, L"unterminated string (end of line)");
                m_buf += "\r\n";
                m_pos = next;
                NewLineAt(m_pos);
                continue;
            }
            if (c == '\\' && m_pos + 1 < m_end && (m_text[m_pos + 1] == '\\' || m_text[m_pos + 1] == '"')) {
                m_buf += m_text[m_pos + 1];
                m_pos += 2;
                continue;
            }
            if (IsLeadByte(c) && m_pos + 1 < m_end && m_text[m_pos + 1] != '\n' && m_text[m_pos + 1] != '\r') {
                m_buf.append(m_text.substr(m_pos, 2));
                m_pos += 2;
                continue;
            }
            m_buf += c;
            ++m_pos;
        }
    }

    // Lines starting with '|' in the first column, up to the first line that does not.
    [[gnu::noinline]] void ReadText(Token& t)
    {
        t.kind = Tok::Text;
        m_buf.clear();
        bool first = true;
        while (m_pos < m_end && m_pos == m_lineStart && m_text[m_pos] == '|') {
            ++m_pos;
            size_t end = m_text.find('\n', m_pos);
            if (end == std::string_view::npos)
                end = m_end;
            size_t stop = end;
            if (stop > m_pos && m_text[stop - 1] == '\r')
                --stop;
            if (!first)
                m_buf += "\r\n";
            first = false;
            m_buf.append(m_text.substr(m_pos, stop - m_pos));
            if (end < m_end) {
                m_pos = end + 1;
                NewLineAt(m_pos);
            } else {
                m_pos = end;
            }
        }
        t.text = m_buf;
    }

    std::string_view m_text;
    size_t m_end;
    const std::wstring& m_file;
    bool m_lead[256] = {};
    bool m_hasLead = false;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    unsigned m_line = 1;
    std::string m_buf; // texts that differ from their spelling in the file
};

class Parser {
public:
    Parser(std::string_view text, PetalDocument& doc, const PetalParseOptions& options)
        : m_lex(text, doc.fileName, options.codePage), m_doc(doc), m_build(doc, options.knownNames),
          m_maxDepth(options.maxDepth)
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
        m_build.Finish();
    }

private:
    void Advance() { m_lex.Next(m_tok); }

    // The words that open a form, compared without a library call.
    template <size_t N> bool IsWord(const char (&word)[N]) const
    {
        return m_tok.kind == Tok::Ident && m_tok.text.size() == N - 1 && std::memcmp(m_tok.text.data(), word, N - 1) == 0;
    }

    PetalIndex NewNode(PetalKind kind, const Token& at) { return m_build.NewNode(kind, at.line, at.column); }

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
            if (m_tok.kind == Tok::Ident)
                m_build.SetName(i, m_tok.text, m_tok.hash);
            else
                m_build.SetText(i, m_tok.text);
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
        if (IsWord("object"))
            return ParseObject(open, depth);
        if (IsWord("list")) {
            const PetalIndex i = NewNode(PetalKind::List, open);
            Advance();
            if (m_tok.kind == Tok::Ident) {
                m_build.SetName(i, m_tok.text, m_tok.hash);
                Advance();
            }
            ParseItems(i, open, depth);
            return i;
        }
        if (IsWord("value")) {
            const PetalIndex i = NewNode(PetalKind::ValueTuple, open);
            Advance();
            if (m_tok.kind != Tok::Ident)
                ExpectedAfter(L"a type name", L"'(value'");
            m_build.SetName(i, m_tok.text, m_tok.hash);
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
                m_build.SetItems(node, children, nullptr);
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
        m_build.SetName(i, m_tok.text, m_tok.hash);
        Advance();
        Scratch& level = Level(depth);
        level.names.clear();
        while (m_tok.kind == Tok::String) {
            level.names.push_back(m_build.Store(m_tok.text));
            Advance();
        }
        const bool hasTag = m_tok.kind == Tok::Ref;
        if (hasTag) {
            level.names.push_back(m_build.Store(m_tok.text));
            Advance();
        }
        if (!level.names.empty())
            m_build.SetNames(i, level.names, hasTag);
        level.keys.clear();
        level.children.clear();
        for (;;) {
            if (m_tok.kind == Tok::RParen) {
                Advance();
                m_build.SetItems(i, level.children, &level.keys);
                return i;
            }
            if (m_tok.kind == Tok::End)
                Unclosed(open);
            if (m_tok.kind != Tok::Ident)
                m_lex.Fail(m_tok.line, m_tok.column, L"expected a field name in the object '" +
                                                         Widen(m_build.Text(i)) + L"'");
            const uint32_t key = m_build.Intern(m_tok.text, m_tok.hash);
            Advance();
            if (m_tok.kind == Tok::RParen || m_tok.kind == Tok::End) {
                if (m_tok.kind == Tok::End)
                    Unclosed(open);
                m_lex.Fail(m_tok.line, m_tok.column, L"the field '" + Widen(m_build.KeyName(key)) + L"' has no value");
            }
            const PetalIndex value = ParseValue(depth);
            level.keys.push_back(key);
            level.children.push_back(value);
        }
    }

    // The fields or items of the form open at one depth, gathered here so that each
    // node's lists are stored in one piece.
    struct Scratch {
        std::vector<std::string_view> names;
        std::vector<uint32_t> keys;
        std::vector<PetalIndex> children;
    };
    Scratch& Level(unsigned depth)
    {
        while (m_levels.size() <= depth)
            m_levels.push_back(std::make_unique<Scratch>());
        return *m_levels[depth];
    }

    // Field and type names are ASCII identifiers.
    static std::wstring Widen(std::string_view s) { return std::wstring(s.begin(), s.end()); }

    Lexer m_lex;
    PetalDocument& m_doc;
    PetalBuilder m_build;
    unsigned m_maxDepth;
    Token m_tok;
    std::vector<std::unique_ptr<Scratch>> m_levels; // stable: a level stays in use while deeper ones are added
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
