#include "VXToolProperties.h"

#include "LmTranslate.h"
#include "VXElement.h"
#include "VXExtension.h"

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
    // A few dozen names in all. The key views the kept string's own characters, which
    // stay where they are while the entry lives. Calls come on the host's one thread.
    static std::unordered_map<std::wstring_view, CLmBSTR> names;
    auto found = names.find(std::wstring_view(name));
    if (found != names.end())
        return found->second;
    CLmBSTR text(name);
    std::wstring_view key(text.GetBSTR(), static_cast<size_t>(text.Length()));
    return names.emplace(key, std::move(text)).first->second;
}
