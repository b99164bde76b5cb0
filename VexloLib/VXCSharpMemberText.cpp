#include "VXCSharpMemberText.h"

#include "LmTranslate.h"
#include "VXCSharpExtensionElement.h"
#include "VXCSharpOwner.h"

using CSharp = CVXCSharpExtension;

void CVXCSharpMemberText::ReadSettings(CVXCSharpExtensionElement& extension)
{
    if (!Generated)
        return;
    const CVXToolProperties properties = extension.Properties();
    DataMember = properties.IsTrue(L"GenerateDataMember");
    IsProperty = properties.IsTrue(L"IsProperty");
    if (DataMember)
    {
        ReadOnly = properties.IsTrue(L"ReadOnly");
        Const = properties.IsTrue(L"Const");
    }
    if (IsProperty)
    {
        GetOperation = properties.IsTrue(L"GenerateGetOperation");
        SetOperation = properties.IsTrue(L"GenerateSetOperation");
        Kind = CSharp::MemberKindOf(properties.Lower(L"Kind"));
        Parameters = properties.Text(L"Parameters");
    }
}

void CVXCSharpMemberText::ReadNames(CVXCSharpExtensionElement& extension)
{
    const CVXToolProperties properties = extension.Properties();
    FieldName = DataMember ? properties.Text(L"DataMemberName") : std::wstring();
    if (FieldName.empty())
        FieldName = L"F" + Name;
    PropertyName = IsProperty ? properties.Text(L"PropertyName") : std::wstring();
    if (PropertyName.empty())
        PropertyName = Name;
}

std::wstring CVXCSharpMemberText::FieldText() const
{
    LM_TRY
    {
        if (!Generated || !DataMember)
            return std::wstring();
        std::wstring text = CSharp::DocumentationComment(Documentation, std::wstring()) + L"private ";
        if (Const)
            text += L"const ";
        if (ReadOnly)
            text += L"readonly ";
        text += Type + L" " + FieldName;
        if (Const && !InitialValue.empty())
            text += L"=" + InitialValue;
        return text + L";";
    }
    LM_END_TRY
}

std::wstring CVXCSharpMemberText::PropertyText(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level,
                                               const CVXCSharpOwner& owner) const
{
    LM_TRY
    {
        if (!Generated || !IsProperty)
            return std::wstring();
        const std::wstring unit = CSharp::Unit;
        std::wstring text = CSharp::DocumentationComment(Documentation, std::wstring());
        if (!owner.IsInterface)
            text += CSharp::AccessWord(Visibility, L"") + CSharp::ModifierWord(Kind);
        text += Type + L" " + PropertyName;
        if (!Parameters.empty())
            text += L"[" + Parameters + L"]";
        text += L" \r\n{\r\n";

        const bool bodiless = Kind == CSharp::MemberAbstract || owner.IsInterface;
        const std::wstring scope = owner.ClassName + L"::" + L"Set" + Name;
        auto unindent = [level](const std::wstring& found) { return CSharp::UnindentText(found, level); };
        auto accessor = [&](const wchar_t* word, const wchar_t* tag, const std::wstring& statement) {
            std::wstring piece = unit + word;
            if (bodiless)
                return piece + L";";
            std::wstring body = DataMember ? unit + unit + unit + statement + L"\r\n" : std::wstring();
            piece += L"\r\n" + unit + L"{\r\n";
            piece += CSharp::Zone(zones, scope, UniqueId, tag, unit + unit, body, unindent);
            return piece + unit + L"}";
        };
        if (GetOperation)
            text += accessor(L"get", L"getbody", L"return " + FieldName + L";");
        if (SetOperation)
            text += L"\r\n" + accessor(L"set", L"setbody", FieldName + L"=value;");
        return text + L"\r\n}";
    }
    LM_END_TRY
}

std::wstring CVXCSharpMemberText::Initialization() const
{
    LM_TRY
    {
        if (!Generated || !DataMember || InitialValue.empty())
            return std::wstring();
        return FieldName + L"=" + InitialValue + L";";
    }
    LM_END_TRY
}
