#include "VXDelphiExtension.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

const wchar_t* const CVXDelphiExtension::ToolName = L"Delphi";

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
