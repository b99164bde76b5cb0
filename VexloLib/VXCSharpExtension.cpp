#include "VXCSharpExtension.h"

#include "LmTranslate.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

const wchar_t* const CVXCSharpExtension::ToolName = L"C#";

CVXCSharpExtension::CVXCSharpExtension(const CLmPtr<CLmRefsObject>& parent) : CVXExtension(parent) {}

CVXCSharpExtension::~CVXCSharpExtension() = default;

CLmBSTR CVXCSharpExtension::GetToolName()
{
    LM_TRY
    {
        return CLmBSTR(ToolName);
    }
    LM_END_TRY
}

std::wstring CVXCSharpExtension::DocumentationComment(const std::wstring& documentation, const std::wstring& prefix)
{
    if (documentation.empty())
        return std::wstring();
    return prefix + L"/// <summary>\r\n" + prefix + L"/// " + documentation + L"\r\n" + prefix + L"/// </summary>\r\n";
}

std::wstring CVXCSharpExtension::AccessWord(long visibility, const wchar_t* implementationWord)
{
    switch (visibility)
    {
    case 0:
        return L"public ";
    case 1:
        return L"private ";
    case 2:
        return L"protected ";
    case 3:
        return implementationWord;
    default:
        return std::wstring();
    }
}

std::wstring CVXCSharpExtension::ModifierWord(int memberKind)
{
    switch (memberKind)
    {
    case MemberVirtual:
        return L"virtual ";
    case MemberAbstract:
        return L"abstract ";
    case MemberStatic:
        return L"static ";
    case MemberOverride:
        return L"override ";
    default:
        return std::wstring();
    }
}

int CVXCSharpExtension::MemberKindOf(const std::wstring& lowerValue)
{
    if (lowerValue == L"common")
        return MemberCommon;
    if (lowerValue == L"virtual")
        return MemberVirtual;
    if (lowerValue == L"abstract")
        return MemberAbstract;
    if (lowerValue == L"static")
        return MemberStatic;
    if (lowerValue == L"override")
        return MemberOverride;
    return MemberNone;
}
