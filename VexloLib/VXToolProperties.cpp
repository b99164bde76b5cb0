#include "VXToolProperties.h"

#include "LmTranslate.h"
#include "VXElement.h"
#include "VXExtension.h"

#include <cstdint>
#include <cwchar>
#include <string_view>
#include <unordered_map>

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CVXToolProperties::CVXToolProperties(CLmPtr<CVXElement> element, const wchar_t* tool)
    : m_Element(std::move(element)), m_Tool(Name(tool))
{
    LM_CHECK_POINTER(m_Element.GetTyped(), L"element");
}

CLmBSTR CVXToolProperties::Value(const wchar_t* name) const
{
    LM_TRY
    {
        return m_Element->GetPropertyValue(m_Tool, Name(name));
    }
    LM_END_TRY
}

bool CVXToolProperties::IsTrue(const wchar_t* name) const
{
    return CVXExtension::IsTrue(Value(name));
}

std::wstring CVXToolProperties::Lower(const wchar_t* name) const
{
    return CVXExtension::Lower(Value(name));
}

std::wstring CVXToolProperties::Text(const wchar_t* name) const
{
    return CVXExtension::Text(Value(name));
}

CLmBSTR CVXToolProperties::Read(CVXElement& element, const wchar_t* tool, const wchar_t* name)
{
    LM_TRY
    {
        return element.GetPropertyValue(Name(tool), Name(name));
    }
    LM_END_TRY
}

const CLmBSTR& CVXToolProperties::Name(const wchar_t* name)
{
    // Names come as literals: the text last seen at an address is checked first, which
    // spares hashing it. Calls come on the host's one thread.
    struct Seen
    {
        const wchar_t* Address;
        const CLmBSTR* Text;
    };
    static Seen seen[64] = {};
    Seen& slot = seen[(reinterpret_cast<std::uintptr_t>(name) / sizeof(wchar_t)) % 64];
    if (slot.Address == name && slot.Text->GetBSTR() && std::wcscmp(slot.Text->GetBSTR(), name) == 0)
        return *slot.Text;
    // A few dozen names in all. The key views the kept string's own characters, which
    // stay where they are while the entry lives.
    static std::unordered_map<std::wstring_view, CLmBSTR> names;
    auto found = names.find(std::wstring_view(name));
    if (found == names.end())
    {
        CLmBSTR text(name);
        std::wstring_view key(text.GetBSTR(), static_cast<size_t>(text.Length()));
        found = names.emplace(key, std::move(text)).first;
    }
    slot = {name, &found->second};
    return found->second;
}
