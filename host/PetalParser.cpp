#include "PetalParser.h"
#include "PetalLexer.h"

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

using namespace PetalLex;


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
                m_build.SetName(i, m_tok.text, HashOf(m_tok.text));
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
                m_build.SetName(i, m_tok.text, HashOf(m_tok.text));
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
            m_build.SetName(i, m_tok.text, HashOf(m_tok.text));
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
        m_build.SetName(i, m_tok.text, HashOf(m_tok.text));
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
            const uint32_t key = m_build.Intern(m_tok.text, HashOf(m_tok.text));
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
