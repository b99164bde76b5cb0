#include "VXGenerationMemo.h"

#include <functional>

namespace
{
    // Generation runs on the host's one user-interface thread; each thread still gets
    // its own chain of scopes.
    thread_local CVXGenerationMemo* t_Current = nullptr;
}

CVXGenerationMemo::Scope::Scope() : m_Previous(t_Current)
{
    t_Current = new CVXGenerationMemo();
}

CVXGenerationMemo::Scope::~Scope()
{
    delete t_Current;
    t_Current = m_Previous;
}

CVXGenerationMemo* CVXGenerationMemo::Current()
{
    return t_Current;
}

size_t CVXGenerationMemo::KeyHash::operator()(const std::pair<std::type_index, std::wstring>& key) const noexcept
{
    return key.first.hash_code() ^ (std::hash<std::wstring>()(key.second) * 31);
}

std::shared_ptr<const void>& CVXGenerationMemo::Slot(std::type_index type, const std::wstring& key)
{
    return m_Records[{type, key}];
}
