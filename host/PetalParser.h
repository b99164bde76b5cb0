// Reader of Rose's petal text format into a generic tree.
//
// The format: top-level values, normally "(object Petal ...)" then "(object Design ...)"
// (or one controlled unit's object). A value is a string "..." (escapes \\ and \"), a
// block of text lines each starting with '|' in the first column, a number, an
// identifier (TRUE, FALSE, ...), a reference @N, or a parenthesised form:
//   (object Type "name"... [@N] key value key value ...)
//   (list [listType] value ...)
//   (value Type value ...)           e.g. (value cardinality "0..n"), (value Text |...)
//   (value, value ...)               plain tuples, e.g. (12, 34) or ("SetName" 801)
// Strings stay in the file's 8-bit encoding here; their reader converts them. The model
// itself is read in one pass without a tree (PetalReader.h); the tree is for the diagrams.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "PageMemory.h"
#include "Utf8.h"

namespace RoseHost {

// The one error of loading: names the file and the 1-based line and column (columns
// count bytes). what() is "FILE:LINE:COL: message" in UTF-8; line 0 stands for the file
// as a whole (it cannot be read) and gives "FILE: message".
class RoseLoadError : public std::runtime_error {
public:
    RoseLoadError(const std::wstring& file, unsigned line, unsigned column, const std::wstring& message);

    const std::wstring& File() const noexcept { return m_file; }
    unsigned Line() const noexcept { return m_line; }
    unsigned Column() const noexcept { return m_column; }
    const std::wstring& Message() const noexcept { return m_message; }
    // what() as wide text.
    std::wstring WideWhat() const;

private:
    std::wstring m_file;
    unsigned m_line;
    unsigned m_column;
    std::wstring m_message;
};

enum class PetalKind : uint8_t {
    Object,     // text = type, names = the strings after it, keys/children = fields
    List,       // text = list type (may be empty), children = items
    ValueTuple, // (value Type ...): text = Type, children = items
    Tuple,      // (a, b ...): children = items
    String,     // text = contents with escapes resolved
    Text,       // text = the '|' lines joined with CR LF
    Number,     // text = spelling
    Identifier, // text = spelling
    Reference,  // text = spelling without '@'
};

using PetalIndex = uint32_t;

// a == b for the short names and texts the reader compares by the hundred thousand,
// without a library call.
inline bool SameText(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    const char* x = a.data();
    const char* y = b.data();
    size_t n = a.size();
    for (; n >= 8; n -= 8, x += 8, y += 8) {
        uint64_t u, v;
        std::memcpy(&u, x, 8);
        std::memcpy(&v, y, 8);
        if (u != v)
            return false;
    }
    for (; n > 0; --n, ++x, ++y)
        if (*x != *y)
            return false;
    return true;
}

// A read-only run of items stored in a document.
template <class T> class PetalSpan {
public:
    PetalSpan() = default;
    PetalSpan(const T* first, size_t count) : m_first(first), m_count(count) {}
    const T* begin() const { return m_first; }
    const T* end() const { return m_first + m_count; }
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const T& operator[](size_t i) const { return m_first[i]; }
    const T& at(size_t i) const
    {
        if (i >= m_count)
            throw std::out_of_range("PetalSpan::at");
        return m_first[i];
    }
    template <class U> friend bool operator==(const PetalSpan& a, const std::vector<U>& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    const T* m_first = nullptr;
    size_t m_count = 0;
};

// Field names of an object: stored once per distinct name, each field holds a number.
class PetalKeys {
public:
    PetalKeys() = default;
    PetalKeys(const uint32_t* ids, size_t count, const std::string_view* names) : m_ids(ids), m_count(count), m_names(names) {}
    size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    std::string_view operator[](size_t i) const { return m_names[m_ids[i]]; }
    // The number of the i-th field name: names given in PetalParseOptions::knownNames
    // have the numbers 1, 2, ... in that order.
    uint32_t Id(size_t i) const { return m_ids[i]; }
    template <class U> friend bool operator==(const PetalKeys& a, const std::vector<U>& b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i])
                return false;
        return true;
    }

private:
    const uint32_t* m_ids = nullptr;
    size_t m_count = 0;
    const std::string_view* m_names = nullptr;
};

// A node as the reader hands it out: a view into the document, valid while it lives.
struct PetalNode {
    PetalKind kind = PetalKind::Identifier;
    uint32_t line = 0;
    uint32_t column = 0;
    std::string_view text;
    PetalSpan<std::string_view> names;
    PetalKeys keys;                     // objects: field names, parallel to children
    PetalSpan<PetalIndex> children;
    std::string_view tag;               // objects: "N" of a trailing @N, else empty
};

// The result of a field look-up: a node or nothing.
class PetalField {
public:
    PetalField() = default;
    explicit PetalField(const PetalNode& node) : m_node(node), m_found(true) {}
    explicit operator bool() const { return m_found; }
    const PetalNode* operator->() const { return &m_node; }
    const PetalNode& operator*() const { return m_node; }
    friend bool operator==(const PetalField& f, std::nullptr_t) { return !f.m_found; }

private:
    PetalNode m_node;
    bool m_found = false;
};

// The tree of one file. A 10 MB model holds about 500,000 nodes, so a node is a small
// fixed record of 32 bytes: its texts live in a few large blocks of the document (field and type
// names once each), its items and fields in shared arrays.
class PetalDocument {
public:
    std::wstring fileName;
    std::vector<PetalIndex> roots;      // top-level values in file order

    PetalNode operator[](PetalIndex i) const;
    size_t size() const { return m_recordCount; }
    // First field `key` of an object, or nothing.
    PetalField Field(const PetalNode& object, std::string_view key) const;
    // The same by the number of a known name (see PetalKeys::Id).
    PetalField Field(const PetalNode& object, uint32_t keyId) const
    {
        for (size_t i = 0; i < object.keys.size(); ++i)
            if (object.keys.Id(i) == keyId)
                return PetalField((*this)[object.children[i]]);
        return PetalField();
    }

private:
    friend class PetalBuilder;
    // Where a text starts: block number << kBlockBits | offset in the block.
    static constexpr unsigned kBlockBits = 18;
    struct Record {
        uint32_t text = 0;
        uint32_t textSize = 0;
        uint32_t line = 0;
        uint32_t column = 0;
        uint32_t first = 0;      // in m_children / m_keyIds
        uint32_t count = 0;
        uint32_t firstName = 0;  // in m_names; the tag follows the names
        uint16_t nameCount = 0;
        PetalKind kind = PetalKind::Identifier;
        bool hasTag = false;
    };
    // Records in chunks of 2,048 (64 KB): nothing is copied as the document grows, and a
    // small file costs little. The document's large parts are pages of their own
    // (PageMemory.h): they go back to the system with the document.
    static constexpr unsigned kChunkBits = 11;
    Record& At(PetalIndex i) { return Chunk(i)[i & ((1u << kChunkBits) - 1)]; }
    const Record& At(PetalIndex i) const { return Chunk(i)[i & ((1u << kChunkBits) - 1)]; }
    Record* Chunk(PetalIndex i) const { return reinterpret_cast<Record*>(m_chunks[i >> kChunkBits].get()); }
    template <class T> using Array = std::vector<T, LargeAllocator<T>>;
    std::vector<LargeBlock> m_chunks;
    size_t m_recordCount = 0;
    Array<PetalIndex> m_children;
    Array<uint32_t> m_keyIds;             // parallel to m_children (0 for items of lists)
    Array<std::string_view> m_names;
    std::vector<std::string_view> m_keyNames;
    std::vector<LargeBlock> m_blocks;     // of 1 << kBlockBits bytes, or one long text
};

struct PetalParseOptions {
    unsigned maxDepth = 1000;   // deeper nesting is an error
    unsigned codePage = 0;      // for double-byte code pages, a trail byte is never an escape
    // Field and type names a reader looks for: numbered 1, 2, ... in every document, so
    // that a field is found by comparing numbers.
    std::span<const std::string_view> knownNames;
};

// Throws RoseLoadError for malformed text.
PetalDocument ParsePetal(std::string_view text, const std::wstring& fileName, const PetalParseOptions& options = {});

} // namespace RoseHost
