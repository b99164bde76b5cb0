#include "VXGenerationMemo.h"

#include <functional>

namespace
{
    // Generation runs on the host's one user-interface thread, so one chain of scopes
    // serves the module. No thread-local slot: a module with its own TLS is not safe to
    // load and unload at run time (XP's LoadLibrary refuses it; unloading leaves stale
    // dynamic TLS behind on Linux).
    CVXGenerationMemo* s_Current = nullptr;
}

CVXGenerationMemo::Scope::Scope() : m_Previous(s_Current)
{
    s_Current = new CVXGenerationMemo();
}

CVXGenerationMemo::Scope::~Scope()
{
    delete s_Current;
    s_Current = m_Previous;
}

CVXGenerationMemo* CVXGenerationMemo::Current()
{
    return s_Current;
}

size_t CVXGenerationMemo::KeyHash::operator()(const std::pair<std::type_index, std::wstring>& key) const noexcept
{
    return key.first.hash_code() ^ (std::hash<std::wstring>()(key.second) * 31);
}

std::shared_ptr<const void>& CVXGenerationMemo::Slot(std::type_index type, const std::wstring& key)
{
    return m_Records[{type, key}];
}

const std::shared_ptr<const void>* CVXGenerationMemo::Existing(std::type_index type, const std::wstring& key) const
{
    auto found = m_Records.find({type, key});
    return found == m_Records.end() || !found->second ? nullptr : &found->second;
}
