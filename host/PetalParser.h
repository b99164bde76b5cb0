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
// Strings stay in the file's 8-bit encoding here; the model builder converts them.
#pragma once

#include <cstdint>
#include <deque>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Utf8.h"

namespace RoseHost {

// The one error of loading: names the file and the 1-based line and column (columns
// count bytes). what() is "FILE:LINE:COL: message" in UTF-8.
class RoseLoadError : public std::runtime_error {
public:
    RoseLoadError(const std::wstring& file, unsigned line, unsigned column, const std::wstring& message);

    const std::wstring& File() const noexcept { return m_file; }
    unsigned Line() const noexcept { return m_line; }
    unsigned Column() const noexcept { return m_column; }
    const std::wstring& Message() const noexcept { return m_message; }
    // "FILE:LINE:COL: message" as wide text.
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

struct PetalNode {
    PetalKind kind = PetalKind::Identifier;
    uint32_t line = 0;
    uint32_t column = 0;
    std::string text;
    std::vector<std::string> names;
    std::vector<std::string> keys;      // objects: field names, parallel to children
    std::vector<PetalIndex> children;
    std::string tag;                    // objects: "N" of a trailing @N, else empty
};

struct PetalDocument {
    std::wstring fileName;
    // A deque: the nodes are never moved while the tree grows, and it takes no more
    // memory than the nodes need.
    std::deque<PetalNode> nodes;
    std::vector<PetalIndex> roots;      // top-level values in file order

    const PetalNode& operator[](PetalIndex i) const { return nodes[i]; }
    // First field `key` of an object, or nullptr.
    const PetalNode* Field(const PetalNode& object, std::string_view key) const;
};

struct PetalParseOptions {
    unsigned maxDepth = 1000;   // deeper nesting is an error
    unsigned codePage = 0;      // for double-byte code pages, a trail byte is never an escape
};

// Throws RoseLoadError for malformed text.
PetalDocument ParsePetal(std::string_view text, const std::wstring& fileName, const PetalParseOptions& options = {});

} // namespace RoseHost
