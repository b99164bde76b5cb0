#include "VXDelphiExtension.h"

#include "LmTranslate.h"
#include "VXPreservedZones.h"
#include "VXZoneWriter.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

const wchar_t* const CVXDelphiExtension::ToolName = L"Delphi";
const wchar_t* const CVXDelphiExtension::Unit = L"  ";

CVXDelphiExtension::CVXDelphiExtension(const CLmPtr<CLmRefsObject>& parent) : CVXExtension(parent) {}

CVXDelphiExtension::~CVXDelphiExtension() = default;

CLmBSTR CVXDelphiExtension::GetToolName()
{
    LM_TRY
    {
        return CLmBSTR(ToolName);
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

bool CVXDelphiExtension::IsTrue(const CLmBSTR& value)
{
    LM_TRY
    {
        if (IsAscii(value))
        {
            static const wchar_t word[] = L"TRUE";
            if (value.Length() != 4)
                return false;
            for (int i = 0; i < 4; ++i)
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
        return upper == L"TRUE";
    }
    LM_END_TRY
}

std::wstring CVXDelphiExtension::Lower(const CLmBSTR& value)
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

std::wstring CVXDelphiExtension::Text(const CLmBSTR& value)
{
    return value.GetBSTR() ? std::wstring(value.GetBSTR(), static_cast<size_t>(value.Length())) : std::wstring();
}

CLmBSTR CVXDelphiExtension::Bstr(const std::wstring& text)
{
    return CLmBSTR(text.c_str());
}

std::wstring CVXDelphiExtension::DocumentationPrefix(const CLmBSTR& documentation)
{
    LM_TRY
    {
        if (documentation.IsEmpty())
            return std::wstring();
        return L"{" + Text(documentation) + L"}\r\n";
    }
    LM_END_TRY
}

std::wstring CVXDelphiExtension::Zone(const CLmPtr<CVXPreservedZones>& zones, const std::wstring& scope,
                                      const std::wstring& uniqueId, const wchar_t* tag,
                                      const std::wstring& indentation, const std::wstring& defaultBody)
{
    LM_TRY
    {
        return Text(CVXZoneWriter::Write(zones, Bstr(scope), Bstr(uniqueId), CLmBSTR(tag), Bstr(indentation),
                                         Bstr(defaultBody)));
    }
    LM_END_TRY
}

std::wstring CVXDelphiExtension::KindDirective(const std::wstring& kind)
{
    if (kind == L"virtual")
        return L"virtual;";
    if (kind == L"abstract")
        return L"virtual; abstract;";
    if (kind == L"dynamic")
        return L"dynamic;";
    if (kind == L"reintroduce")
        return L"reintroduce;";
    if (kind == L"override")
        return L"override;";
    return std::wstring();
}

bool CVXDelphiExtension::IsInterfaceKind(const std::wstring& classKind)
{
    return classKind == L"interface" || classKind == L"dispinterface";
}
