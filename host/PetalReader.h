// Reading a petal file in one pass, with no tree: the caller asks for the next value,
// field or item and takes what it needs as the tokens come. The grammar, and every
// message for malformed text, are the document reader's (PetalParser.h).
#pragma once

#include "PetalLexer.h"
#include "PetalParser.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace RoseHost {

// One value as it starts: scalars are read whole, forms up to their contents.
struct PetalValue {
    PetalKind kind = PetalKind::Identifier;
    unsigned line = 0;
    unsigned column = 0;
    unsigned depth = 0;      // forms: their nesting depth
    size_t offset = 0;       // byte offset of its first character (a form's '(') in the file
    // Scalars: the text (escapes resolved); objects: the type; lists: the list type;
    // (value T ...): T. A form's text is valid until the arena is released below it, a
    // scalar's until the next object ends (the file's text behind it may go then): Hold
    // keeps one longer.
    std::string_view text;
    bool IsForm() const
    {
        return kind == PetalKind::Object || kind == PetalKind::List || kind == PetalKind::ValueTuple ||
               kind == PetalKind::Tuple;
    }
};

class PetalReader {
public:
    // Field names in `knownNames` are numbered 1, 2, ... in that order; others are 0.
    PetalReader(std::string_view text, const std::wstring& fileName, unsigned codePage, unsigned maxDepth,
                std::span<const std::string_view> knownNames);
    PetalReader(const PetalReader&) = delete;
    PetalReader& operator=(const PetalReader&) = delete;

    const std::wstring& FileName() const { return m_file; }
    // Byte offset just past the last ')' that closed a form: where an object read to its
    // end stops, so the model writer can find its text again without reading the file.
    size_t LastClose() const { return m_lastClose; }

    // True while a top-level value follows; fails unless it opens with '('.
    bool NextRoot();
    // The next value, inside a form of depth `depth` (0: the top level).
    PetalValue Open(unsigned depth);
    // The strings after an object's type (the tag left out), as Open left them.
    std::span<const std::string_view> Names(const PetalValue& object) const;
    // The next field of an object: false at its ')'. `key` is the name's number.
    bool NextField(const PetalValue& object, uint32_t& key);
    // The next item of a list or tuple: false at its ')'.
    bool NextItem(const PetalValue& form);
    // Reads past the rest of a value (nothing for scalars).
    void Skip(const PetalValue& value);

    // Texts that are not spelled out in the file (escapes, '|' blocks, names) live in an
    // arena: what is taken after a mark goes when the arena is released to it.
    struct Mark {
        size_t block;
        size_t used;
    };
    Mark GetMark() const { return {m_block, m_used}; }
    // An object ends: with DropTextBehind, the file's text read so far goes back to the
    // system once there is enough of it.
    void Release(Mark m)
    {
        m_block = m.block;
        m_used = m.used;
        if (m_drop && m_tok.offset - m_dropped >= kDropStep)
            DropRead();
    }
    // A copy of a text in the arena, for a value kept beyond the next object's end.
    std::string_view Hold(std::string_view text);

    // The reader owns the text (it may hand its pages back to the system) and nothing else
    // reads it: what is behind the value being read is given back as objects end, so that
    // a model file's text and the model built from it are not both held in full.
    void DropTextBehind() { m_drop = true; }

    [[noreturn]] void Fail(unsigned line, unsigned column, const std::wstring& message) const;

private:
    void Advance();
    std::string_view Keep(std::string_view text);
    std::string_view Copy(std::string_view text);
    void DropRead();
    static constexpr size_t kDropStep = 1 << 20;
    uint32_t KeyOf(std::string_view name, uint32_t hash) const;
    [[noreturn]] void Unclosed(const PetalValue& open) const;
    [[noreturn]] void ExpectedAfter(const std::wstring& what, const std::wstring& after) const;

    std::string_view m_text;
    std::wstring m_file;
    unsigned m_maxDepth;
    PetalLex::Lexer m_lex;
    PetalLex::Token m_tok;
    std::vector<std::vector<std::string_view>> m_names; // by depth
    // Known field names by hash: index into m_known plus one, 0 is free.
    std::vector<uint16_t> m_slots;
    std::vector<std::string_view> m_known;
    std::vector<uint32_t> m_knownHashes;
    struct Block {
        std::unique_ptr<char[]> data;
        size_t size;
    };
    std::vector<Block> m_blocks;
    size_t m_block = 0;
    size_t m_used = 0;
    size_t m_lastClose = 0;
    bool m_drop = false;
    size_t m_dropped = 0; // the text before this offset is given back
};

} // namespace RoseHost
