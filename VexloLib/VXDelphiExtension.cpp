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

bool CVXDelphiExtension::IsTrue(const CLmBSTR& value)
{
    LM_TRY
    {
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
