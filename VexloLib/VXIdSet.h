// The unique ids met so far while gathering elements, so that each element is taken
// once (two wrappers of one host element are different objects; the id is what is
// the same).
#pragma once

#include <string>
#include <unordered_set>

class CVXIdSet
{
public:
    CVXIdSet() = default;
    explicit CVXIdSet(const std::wstring& id) { Add(id); }

    // True when the id was not met before (and is now).
    bool Add(const std::wstring& id) { return m_Ids.insert(id).second; }

private:
    std::unordered_set<std::wstring> m_Ids;
};
