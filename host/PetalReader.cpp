#include "PetalReader.h"

#include "vxplat/Heap.h"

#include <algorithm>
#include <cstring>

namespace RoseHost {

using namespace PetalLex;

namespace {

// Field names are short: their first and last eight bytes and their length tell them apart.
uint32_t NameHash(std::string_view s)
{
    uint64_t a = 0, b = 0;
    if (s.size() >= 8) {
        std::memcpy(&a, s.data(), 8);
        std::memcpy(&b, s.data() + s.size() - 8, 8);
    } else {
        std::memcpy(&a, s.data(), s.size());
    }
    const uint64_t h = (a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full) ^ (s.size() * 0x165667B19E3779F9ull);
    return static_cast<uint32_t>(h >> 32);
}

} // namespace

PetalReader::PetalReader(std::string_view text, const std::wstring& fileName, unsigned codePage, unsigned maxDepth,
                         std::span<const std::string_view> knownNames)
    : m_text(text), m_file(fileName), m_maxDepth(maxDepth), m_lex(text, m_file, codePage)
{
    size_t slots = 64;
    while (slots < 2 * knownNames.size())
        slots *= 2;
    m_slots.assign(slots, 0);
    for (std::string_view name : knownNames) {
        const uint32_t hash = NameHash(name);
        size_t at = hash & (slots - 1);
        while (m_slots[at] != 0)
            at = (at + 1) & (slots - 1);
        m_known.push_back(name);
        m_knownHashes.push_back(hash);
        m_slots[at] = static_cast<uint16_t>(m_known.size());
    }
    Advance();
}

uint32_t PetalReader::KeyOf(std::string_view name, uint32_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        const uint16_t id = m_slots[at];
        if (id == 0)
            return 0;
        if (m_knownHashes[id - 1] == hash && SameText(m_known[id - 1], name))
            return id;
    }
}

void PetalReader::Advance() { m_lex.Next(m_tok); }

void PetalReader::Fail(unsigned line, unsigned column, const std::wstring& message) const
{
    m_lex.Fail(line, column, message);
}

// Tokens spelled out in the file are views of it; the rest is copied before the next token.
std::string_view PetalReader::Keep(std::string_view s)
{
    if (s.empty() || (s.data() >= m_text.data() && s.data() + s.size() <= m_text.data() + m_text.size()))
        return s;
    return Copy(s);
}

std::string_view PetalReader::Hold(std::string_view s)
{
    if (s.empty() || !(s.data() >= m_text.data() && s.data() + s.size() <= m_text.data() + m_text.size()))
        return s; // in the arena already
    return Copy(s);
}

void PetalReader::DropRead()
{
    VxpDiscardPages(const_cast<char*>(m_text.data()) + m_dropped, m_tok.offset - m_dropped);
    m_dropped = m_tok.offset;
}

std::string_view PetalReader::Copy(std::string_view s)
{
    while (m_block < m_blocks.size() && m_blocks[m_block].size - m_used < s.size()) {
        ++m_block;
        m_used = 0;
    }
    if (m_block == m_blocks.size()) {
        const size_t size = std::max<size_t>(64 * 1024, s.size());
        m_blocks.push_back({std::make_unique_for_overwrite<char[]>(size), size});
        m_used = 0;
    }
    char* p = m_blocks[m_block].data.get() + m_used;
    std::memcpy(p, s.data(), s.size());
    m_used += s.size();
    return std::string_view(p, s.size());
}

bool PetalReader::NextRoot()
{
    if (m_tok.kind == Tok::End)
        return false;
    if (m_tok.kind != Tok::LParen)
        Fail(m_tok.line, m_tok.column, L"expected '(' at the top level");
    return true;
}

void PetalReader::Unclosed(const PetalValue& open) const
{
    Fail(m_tok.line, m_tok.column,
         L"unexpected end of file: the '(' at line " + std::to_wstring(open.line) + L", column " +
             std::to_wstring(open.column) + L" is not closed");
}

void PetalReader::ExpectedAfter(const std::wstring& what, const std::wstring& after) const
{
    if (m_tok.kind == Tok::End)
        Fail(m_tok.line, m_tok.column, L"unexpected end of file: expected " + what + L" after " + after);
    Fail(m_tok.line, m_tok.column, L"expected " + what + L" after " + after);
}

namespace {

template <size_t N> bool IsWord(const Token& t, const char (&word)[N])
{
    return t.kind == Tok::Ident && t.text.size() == N - 1 && std::memcmp(t.text.data(), word, N - 1) == 0;
}

} // namespace

PetalValue PetalReader::Open(unsigned depth)
{
    PetalValue v;
    v.line = m_tok.line;
    v.column = m_tok.column;
    v.offset = m_tok.offset;
    switch (m_tok.kind) {
    case Tok::String: v.kind = PetalKind::String; break;
    case Tok::Text: v.kind = PetalKind::Text; break;
    case Tok::Number: v.kind = PetalKind::Number; break;
    case Tok::Ident: v.kind = PetalKind::Identifier; break;
    case Tok::Ref: v.kind = PetalKind::Reference; break;
    case Tok::LParen: {
        v.depth = depth + 1;
        if (v.depth > m_maxDepth)
            Fail(v.line, v.column, L"nesting deeper than " + std::to_wstring(m_maxDepth) + L" levels");
        Advance();
        if (IsWord(m_tok, "object")) {
            v.kind = PetalKind::Object;
            Advance();
            if (m_tok.kind != Tok::Ident)
                ExpectedAfter(L"a type name", L"'(object'");
            v.text = Copy(m_tok.text);
            Advance();
            if (m_names.size() <= v.depth)
                m_names.resize(v.depth + 1);
            std::vector<std::string_view>& names = m_names[v.depth];
            names.clear();
            while (m_tok.kind == Tok::String) {
                names.push_back(Copy(m_tok.text));
                Advance();
            }
            if (m_tok.kind == Tok::Ref)
                Advance();
        } else if (IsWord(m_tok, "list")) {
            v.kind = PetalKind::List;
            Advance();
            if (m_tok.kind == Tok::Ident) {
                v.text = Copy(m_tok.text);
                Advance();
            }
        } else if (IsWord(m_tok, "value")) {
            v.kind = PetalKind::ValueTuple;
            Advance();
            if (m_tok.kind != Tok::Ident)
                ExpectedAfter(L"a type name", L"'(value'");
            v.text = Copy(m_tok.text);
            Advance();
        } else {
            v.kind = PetalKind::Tuple;
        }
        return v;
    }
    case Tok::End: Fail(m_tok.line, m_tok.column, L"unexpected end of file: a value is missing");
    case Tok::RParen: Fail(m_tok.line, m_tok.column, L"unexpected ')': a value is missing");
    case Tok::Comma: Fail(m_tok.line, m_tok.column, L"unexpected ','");
    }
    v.text = Keep(m_tok.text);
    Advance();
    return v;
}

std::span<const std::string_view> PetalReader::Names(const PetalValue& object) const
{
    return m_names[object.depth];
}

bool PetalReader::NextField(const PetalValue& object, uint32_t& key)
{
    if (m_tok.kind == Tok::RParen) {
        m_lastClose = m_tok.offset + 1;
        Advance();
        return false;
    }
    if (m_tok.kind == Tok::End)
        Unclosed(object);
    if (m_tok.kind != Tok::Ident)
        Fail(m_tok.line, m_tok.column,
             L"expected a field name in the object '" + std::wstring(object.text.begin(), object.text.end()) + L"'");
    const std::string_view name = m_tok.text;
    key = KeyOf(name, NameHash(name));
    Advance();
    if (m_tok.kind == Tok::RParen || m_tok.kind == Tok::End) {
        if (m_tok.kind == Tok::End)
            Unclosed(object);
        Fail(m_tok.line, m_tok.column, L"the field '" + std::wstring(name.begin(), name.end()) + L"' has no value");
    }
    return true;
}

bool PetalReader::NextItem(const PetalValue& form)
{
    for (;;) {
        if (m_tok.kind == Tok::RParen) {
            m_lastClose = m_tok.offset + 1;
            Advance();
            return false;
        }
        if (m_tok.kind == Tok::End)
            Unclosed(form);
        if (m_tok.kind != Tok::Comma)
            return true;
        Advance();
    }
}

void PetalReader::Skip(const PetalValue& value)
{
    if (value.kind == PetalKind::Object) {
        uint32_t key;
        while (NextField(value, key))
            Skip(Open(value.depth));
    } else if (value.IsForm()) {
        while (NextItem(value))
            Skip(Open(value.depth));
    }
}

} // namespace RoseHost
