#include "DefaultSetIndex.h"

#include <cstring>

namespace RoseHost {

void DefaultSetIndex::Reset()
{
    m_tools.clear();
    m_last = nullptr;
}

// Tool names are a few characters: compared in place, without a call.
static bool Same(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

uint32_t DefaultSetIndex::HashOf(std::wstring_view text)
{
    // Two characters a step: names are short and asked for on every property read.
    const size_t n = text.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        uint64_t pair = 0;
        static_assert(2 * sizeof(wchar_t) <= sizeof pair);
        std::memcpy(&pair, text.data() + i, 2 * sizeof(wchar_t));
        h = (h ^ pair) * 0xFF51AFD7ED558CCDull;
    }
    if (i < n)
        h = (h ^ static_cast<uint64_t>(text[i])) * 0xFF51AFD7ED558CCDull;
    return static_cast<uint32_t>(h ^ (h >> 32));
}

DefaultSetIndex::Tool& DefaultSetIndex::ToolEntry(const DefaultPropertySets& sets, std::wstring_view tool)
{
    Tool* entry = nullptr;
    if (m_last && std::wstring_view(m_last->name) == tool) {
        entry = m_last;
    } else {
        for (auto& t : m_tools) {
            if (std::wstring_view(t->name) == tool) {
                entry = t.get();
                break;
            }
        }
    }
    // A tool added or removed since moves the sets of every tool: read them again.
    if (!entry || entry->tools != sets.size()) {
        if (!entry) {
            m_tools.push_back(std::make_unique<Tool>());
            entry = m_tools.back().get();
            entry->name = tool;
        }
        auto found = sets.find(tool);
        entry->kinds = found != sets.end() ? &found->second : nullptr;
        entry->tools = sets.size();
        for (Set& set : entry->sets)
            set = Set{};
    }
    m_last = entry;
    return *entry;
}

bool DefaultSetIndex::Current(const Set& set, const Tool& tool)
{
    if (!set.read)
        return false;
    if (!tool.kinds)
        return true;
    if (tool.kinds->size() != set.setsOfTool)
        return false;
    return !set.props || (set.props->data() == set.data && set.props->size() == set.size);
}

void DefaultSetIndex::Read(Set& set, const Tool& tool, unsigned key) const
{
    set = Set{};
    set.read = true;
    if (!tool.kinds)
        return;
    set.setsOfTool = tool.kinds->size();
    auto found = tool.kinds->find(m_nameOfKey(key));
    if (found == tool.kinds->end())
        return;
    set.props = &found->second;
    set.data = set.props->data();
    set.size = set.props->size();
    size_t length = 8;
    while (length < set.size * 2)
        length *= 2;
    set.slots.resize(length);
    set.names.reserve(set.size);
    const size_t mask = length - 1;
    for (size_t i = 0; i < set.size; ++i) {
        set.names.push_back((*set.props)[i].name.str());
        const std::wstring& name = set.names.back();
        const uint32_t hash = HashOf(name);
        for (size_t s = hash & mask;; s = (s + 1) & mask) {
            Slot& slot = set.slots[s];
            if (slot.index == 0) {
                slot = {hash, static_cast<uint32_t>(i + 1)};
                break;
            }
            // A name met again: the first keeps the slot, as a walk in order finds it.
            if (slot.hash == hash && set.names[slot.index - 1] == name)
                break;
        }
    }
}

const ToolProperty* DefaultSetIndex::Find(const DefaultPropertySets& sets, std::wstring_view tool, unsigned key,
                                          std::wstring_view name)
{
    Tool* last = m_last;
    Tool& t = last && last->tools == sets.size() && Same(last->name, tool) ? *last : ToolEntry(sets, tool);
    Set& set = t.sets[key];
    if (!Current(set, t))
        Read(set, t, key);
    if (!set.props)
        return nullptr;
    const uint32_t hash = HashOf(name);
    const size_t mask = set.slots.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        const Slot& slot = set.slots[s];
        if (slot.index == 0)
            return nullptr;
        if (slot.hash == hash && std::wstring_view(set.names[slot.index - 1]) == name)
            return &set.data[slot.index - 1];
    }
}

} // namespace RoseHost
