// The registry tree and its ".reg" text form (POSIX only).
#pragma once

#include "vxplat/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace vxp::reg {

struct Value {
    std::wstring name;  // empty for the default value
    DWORD type = 0;
    std::vector<BYTE> data;  // as RegQueryValueExW returns it (strings in native wchar_t)
};

struct Key {
    std::wstring name;
    std::vector<std::unique_ptr<Key>> subKeys;  // kept sorted ignoring case, as Windows lists them
    std::vector<Value> values;                  // in the order they were created

    Key* Find(const std::wstring& child) const;
    Key* Add(const std::wstring& child);  // the existing one, or a new one in sorted position
    bool Remove(const std::wstring& child);
    Value* FindValue(const std::wstring& valueName);
};

// The seven predefined roots, in the order of their handle values.
extern const wchar_t* const kRootNames[7];

struct Tree {
    Key roots[7];
    Tree();
};

// Parses the text of a ".reg" file (UTF-8, or UTF-16LE with its byte-order mark).
// On failure returns false with the 1-based line number and a description.
bool Parse(const std::string& bytes, Tree& tree, int& errorLine, std::string& error);

// Renders the whole tree in the ".reg" export format (UTF-8).
std::string Render(const Tree& tree);

}  // namespace vxp::reg
