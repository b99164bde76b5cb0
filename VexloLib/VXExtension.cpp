#include "VXExtension.h"

#include <cwchar>
#include <new>

#include "LmTranslate.h"
#include "VXCommon.h"
#include "VXElement.h"
#include "VXPreservedZones.h"
#include "VXToolProperties.h"
#include "VXZoneWriter.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

const wchar_t* const CVXExtension::Unit = L"  ";

CVXExtension::CVXExtension(const CLmPtr<CLmRefsObject>& parent) : CLmObject(parent) {}

CVXExtension::~CVXExtension() = default;

bool CVXExtension::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmBSTR CVXExtension::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXExtension::GetDeclaration(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

std::wstring CVXExtension::GetImplementationText(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Text(GetImplementation(zones, option));
    }
    LM_END_TRY
}

std::wstring CVXExtension::GetDeclarationText(const CLmPtr<CVXPreservedZones>& zones, long option)
{
    LM_TRY
    {
        return Text(GetDeclaration(zones, option));
    }
    LM_END_TRY
}

void CVXExtension::Generate()
{
    LM_TRY
    {
        DoGenerate();
    }
    LM_END_TRY
}

CLmPtr<CVXCommon> CVXExtension::GetExtendedObject()
{
    LM_TRY
    {
        // The typed view of the owner is empty when the owner is no host wrapper.
        return CLmPtr<CVXCommon>(GetOwner());
    }
    LM_END_TRY
}

void CVXExtension::DoGenerate()
{
    LM_TRY
    {
    }
    LM_END_TRY
}

namespace
{
    // Property values are nearly always plain ASCII words; for those the case change of
    // the ANSI code page is the ASCII one, done here without converting the text.
    bool IsAscii(const CLmBSTR& value)
    {
        const wchar_t* text = value.GetBSTR();
        for (int i = 0; i < value.Length(); ++i)
            if (text[i] == 0 || text[i] > 0x7F)
                return false;
        return true;
    }
}

bool CVXExtension::IsTrue(const CLmBSTR& value)
{
    return IsWord(value, L"TRUE");
}

bool CVXExtension::IsWord(const CLmBSTR& value, const wchar_t* word)
{
    LM_TRY
    {
        if (IsAscii(value))
        {
            const size_t length = std::wcslen(word);
            if (static_cast<size_t>(value.Length()) != length)
                return false;
            for (size_t i = 0; i < length; ++i)
            {
                wchar_t ch = value.GetBSTR()[i];
                if (ch >= L'a' && ch <= L'z')
                    ch = static_cast<wchar_t>(ch - L'a' + L'A');
                if (ch != word[i])
                    return false;
            }
            return true;
        }
        CLmBSTR upper = value;
        upper.MakeUpper();
        return upper == word;
    }
    LM_END_TRY
}

std::wstring CVXExtension::Lower(const CLmBSTR& value)
{
    LM_TRY
    {
        if (IsAscii(value))
        {
            std::wstring lower = Text(value);
            for (wchar_t& ch : lower)
                if (ch >= L'A' && ch <= L'Z')
                    ch = static_cast<wchar_t>(ch - L'A' + L'a');
            return lower;
        }
        CLmBSTR lower = value;
        lower.MakeLower();
        return Text(lower);
    }
    LM_END_TRY
}

std::wstring CVXExtension::Text(const CLmBSTR& value)
{
    return value.GetBSTR() ? std::wstring(value.GetBSTR(), static_cast<size_t>(value.Length())) : std::wstring();
}

void CVXExtension::AppendText(std::wstring& text, const CLmBSTR& value)
{
    if (value.GetBSTR())
        text.append(value.GetBSTR(), static_cast<size_t>(value.Length()));
}

CLmBSTR CVXExtension::Bstr(const std::wstring& text)
{
    return CLmBSTR(text.c_str());
}

std::wstring CVXExtension::Handed(std::wstring text)
{
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos)
        text.resize(end);
    return text;
}

CLmBSTR CVXExtension::WholeBstr(std::wstring_view text)
{
    CLmBSTR out;
    *out.GetAddress() = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!out.GetBSTR())
        throw std::bad_alloc();
    return out;
}

CLmBSTR CVXExtension::GetToolProperty(CVXElement& element, const wchar_t* tool, const wchar_t* name)
{
    LM_TRY
    {
        return CVXToolProperties::Read(element, tool, name);
    }
    LM_END_TRY
}

std::wstring CVXExtension::IndentText(const std::wstring& text, int levels)
{
    if (levels <= 0)
        return text;
    // All levels in one pass: each level puts a unit in front and after every CR LF
    // and takes it off again after a final CR LF, so together they put levels units
    // in the same places.
    std::wstring units;
    for (int level = 0; level < levels; ++level)
        units += Unit;
    size_t breaks = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == L'\r' && text[i + 1] == L'\n')
            ++breaks;
    std::wstring indented;
    indented.reserve(text.size() + (breaks + 1) * units.size());
    indented += units;
    size_t from = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i)
    {
        if (text[i] == L'\r' && text[i + 1] == L'\n')
        {
            indented.append(text, from, i + 2 - from);
            from = i + 2;
            if (from < text.size())
                indented += units;
            ++i;
        }
    }
    indented.append(text, from, std::wstring::npos);
    return indented;
}

std::wstring CVXExtension::UnindentText(const std::wstring& text, int levels)
{
    std::wstring result = text;
    const std::wstring unit = Unit;
    for (int level = 0; level < levels; ++level)
    {
        std::wstring unindented;
        unindented.reserve(result.size());
        size_t i = 0;
        if (result.compare(0, unit.size(), unit) == 0)
            i = unit.size();
        while (i < result.size())
        {
            unindented += result[i];
            if (result[i] == L'\r' && i + 1 < result.size() && result[i + 1] == L'\n')
            {
                unindented += L'\n';
                i += 2;
                if (result.compare(i, unit.size(), unit) == 0)
                    i += unit.size();
                continue;
            }
            ++i;
        }
        result.swap(unindented);
    }
    return result;
}

std::wstring CVXExtension::Zone(const CLmPtr<CVXPreservedZones>& zones, const std::wstring& scope,
                                const std::wstring& uniqueId, const wchar_t* tag, const std::wstring& indentation,
                                const std::wstring& defaultBody,
                                const std::function<std::wstring(const std::wstring&)>& foundText)
{
    LM_TRY
    {
        // The texts count up to their first terminator, as BSTRs made of them would.
        auto upToTerminator = [](const std::wstring& text) { return std::wstring_view(text.c_str()); };
        std::function<std::wstring(const std::wstring&)> filter;
        if (foundText)
            filter = [&foundText](const std::wstring& text) {
                std::wstring adapted = foundText(text);
                adapted.resize(std::wcslen(adapted.c_str()));
                return adapted;
            };
        return CVXZoneWriter::WriteText(zones, upToTerminator(scope), upToTerminator(uniqueId),
                                        tag ? std::wstring_view(tag) : std::wstring_view(), upToTerminator(indentation),
                                        upToTerminator(defaultBody), filter);
    }
    LM_END_TRY
}

bool CVXExtension::HasHostObject(CVXCommon* wrapper)
{
    LM_TRY
    {
        if (!wrapper)
            return false;
        IDispatch* object = wrapper->GetDispatch();
        if (!object)
            return false;
        object->Release();
        return true;
    }
    LM_END_TRY
}
