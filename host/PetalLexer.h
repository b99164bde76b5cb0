// The petal format's tokens: shared by the document reader (diagrams) and the model
// loader's one-pass reader.
#pragma once

#include "PetalParser.h"

#include "vxplat/CodePage.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

namespace RoseHost::PetalLex {

// The hash of the names a document interns.
inline uint32_t HashStep(uint32_t h, char c) { return (h ^ static_cast<unsigned char>(c)) * 16777619u; }
constexpr uint32_t kHashSeed = 2166136261u;

inline uint32_t HashOf(std::string_view s)
{
    uint32_t h = kHashSeed;
    for (char c : s)
        h = HashStep(h, c);
    return h;
}


enum class Tok { LParen, RParen, Comma, String, Text, Number, Ident, Ref, End };

struct Token {
    Tok kind = Tok::End;
    unsigned line = 1;
    unsigned column = 1;
    size_t offset = 0;     // byte offset of the token's first character in the text
    std::string_view text; // valid until the next token is read
};

// Bytes shown in messages: printable ASCII as is, anything else as a code.
inline std::wstring Describe(char c)
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
                // Indentation: runs of blanks, eight at a time.
                if (p < m_end && s[p] == ' ')
                    for (uint64_t x; p + 8 <= m_end && (std::memcpy(&x, s + p, 8), x == 0x2020202020202020ull);)
                        p += 8;
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
        t.offset = p;
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
            for (++p; p < m_end && Is(s[p], kIdentChar); ++p) {
            }
            m_pos = p;
            t.kind = Tok::Ident;
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

    // Byte offset just past the last token read.
    size_t Position() const { return m_pos; }

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

} // namespace RoseHost::PetalLex
