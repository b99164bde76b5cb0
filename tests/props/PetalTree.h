// A small, strict reader of Rose's petal text into a tree, for checking the shipped
// property files and the example model without the host library.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace PropsTest {

struct PetalValue;
using PetalPtr = std::shared_ptr<PetalValue>;

struct PetalValue {
    enum class Kind { Object, List, Value, Tuple, String, Text, Number, Identifier, Reference };
    Kind kind = Kind::Identifier;
    std::string text;                                   // type, string, spelling
    std::vector<std::string> names;                     // objects: the strings after the type
    std::vector<std::pair<std::string, PetalPtr>> fields; // objects
    std::vector<PetalPtr> items;                        // lists, (value ...) and tuples
    unsigned line = 0;

    // First field `key` of an object, or nullptr.
    const PetalValue* Field(std::string_view key) const;
    std::string Name() const { return names.empty() ? std::string() : names.front(); }
};

struct PetalError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every top-level value of the text; throws PetalError (with the line) when the text is
// not well-formed petal: unbalanced brackets, unterminated strings, stray tokens.
std::vector<PetalPtr> ReadPetal(std::string_view text);

// Whole file as bytes; throws PetalError when it cannot be read.
std::string ReadFile(const std::string& path);

// Calls `visit` for every object in the tree, parents before children.
template <class F> void ForEachObject(const PetalValue& v, F&& visit)
{
    if (v.kind == PetalValue::Kind::Object)
        visit(v);
    for (const auto& f : v.fields)
        ForEachObject(*f.second, visit);
    for (const auto& i : v.items)
        ForEachObject(*i, visit);
}

} // namespace PropsTest
