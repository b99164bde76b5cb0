// A look-up index over the model's default property sets (tool -> set name -> properties).
//
// An add-in asks for a property by tool and name hundreds of thousands of times in one
// generation, mostly answered from the default set of the element's kind. Walking that
// set and comparing each name in turn was the host's largest cost per call; this index
// finds the set by its tool and a small key, and the property by a hash of its name.
//
// It is built lazily, a set at a time, from the sets as they are when first asked, and
// it keeps what it read (the number of tools and sets, a set's size and storage) to
// notice a set that was added, replaced or grew since. Changes that keep all of these
// (renaming a property in place) are not noticed: whoever does that calls Reset().
#pragma once

#include "RoseModel.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace RoseHost {

class DefaultSetIndex {
public:
    // Keys 0 .. kKeys-1 stand for set names; `nameOfKey` gives the name of a key.
    static constexpr unsigned kKeys = 17;
    using KeyName = std::wstring_view (*)(unsigned key);
    explicit DefaultSetIndex(KeyName nameOfKey) : m_nameOfKey(nameOfKey) {}

    // The first property named `name` in sets[tool][name of key], or nullptr.
    const ToolProperty* Find(const DefaultPropertySets& sets, std::wstring_view tool, unsigned key,
                             std::wstring_view name);

    // Forgets everything read; the next look-up reads the sets again.
    void Reset();

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t index = 0; // the property's place + 1; 0: free
    };
    struct Set {
        bool read = false;
        const std::vector<ToolProperty>* props = nullptr; // nullptr: the tool has no such set
        const ToolProperty* data = nullptr;
        size_t size = 0;
        size_t setsOfTool = 0;          // the tool's number of sets when read
        std::vector<Slot> slots;        // a power of two long, at most half full
        std::vector<std::wstring> names; // the properties' names, wide, to compare at once
    };
    struct Tool {
        std::wstring name;
        const DefaultPropertySets::mapped_type* kinds = nullptr; // nullptr: no sets of the tool
        size_t tools = 0; // the number of tools when read
        Set sets[kKeys];
    };

    Tool& ToolEntry(const DefaultPropertySets& sets, std::wstring_view tool);
    void Read(Set& set, const Tool& tool, unsigned key) const;
    static bool Current(const Set& set, const Tool& tool);
    static uint32_t HashOf(std::wstring_view text);

    KeyName m_nameOfKey;
    std::vector<std::unique_ptr<Tool>> m_tools;
    Tool* m_last = nullptr; // the tool asked last: nearly every question names the same
};

} // namespace RoseHost
