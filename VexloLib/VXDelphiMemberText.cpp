#include "VXDelphiMemberText.h"

#include "LmTranslate.h"
#include "VXDelphiExtension.h"
#include "VXDelphiExtensionElement.h"
#include "VXDelphiModel.h"
#include "VXClass.h"

using Delphi = CVXDelphiExtension;
using LmLib::Values::CLmBSTR;

void CVXDelphiMemberText::SetNames(const std::wstring& fieldName, const std::wstring& getName,
                                   const std::wstring& setName, const std::wstring& propertyName)
{
    FieldName = fieldName.empty() ? L"F" + Name : fieldName;
    GetName = getName.empty() ? L"Get" + Name : getName;
    SetName = setName.empty() ? L"Set" + Name : setName;
    PropertyName = propertyName.empty() ? Name : propertyName;
}

void CVXDelphiMemberText::ReadSettings(CVXDelphiExtensionElement& extension)
{
    const CVXToolProperties properties = extension.Properties();
    DataMember = properties.IsTrue(L"GenerateDataMember");
    IsProperty = properties.IsTrue(L"IsProperty");
    GetOperation = properties.IsTrue(L"GenerateGetOperation");
    SetOperation = properties.IsTrue(L"GenerateSetOperation");
    Kind = properties.Lower(L"Kind");
    Parameters = properties.Text(L"Parameters");
}

void CVXDelphiMemberText::ReadClass(const LmLib::CLmPtr<CVXClass>& owner)
{
    if (!owner.IsNull())
    {
        ClassName = Delphi::Text(owner->GetName());
        ClassKind = Delphi::Lower(Delphi::GetToolProperty(*owner, Delphi::ToolName, L"Kind"));
    }
}

void CVXDelphiMemberText::ReadIdentity(CVXDelphiExtensionElement& extension, CVXItem& member)
{
    Documentation = Delphi::Text(member.GetDocumentation());
    UniqueId = Delphi::Text(member.GetUniqueID());
    const CVXToolProperties properties = extension.Properties();
    std::wstring fieldName = properties.Text(L"DataMemberName");
    std::wstring getName = properties.Text(L"GetName");
    std::wstring setName = properties.Text(L"SetName");
    SetNames(fieldName, getName, setName, properties.Text(L"PropertyName"));
}

std::wstring CVXDelphiMemberText::Directive() const
{
    // Members of interfaces take no directives.
    if (Delphi::IsInterfaceKind(ClassKind))
        return std::wstring();
    std::wstring directive = Delphi::KindDirective(Kind);
    return directive.empty() ? directive : L" " + directive;
}

std::wstring CVXDelphiMemberText::WriteParameters() const
{
    return Parameters.empty() ? L"Value: " + Type : Parameters + L"; Value: " + Type;
}

std::wstring CVXDelphiMemberText::FieldDeclaration() const
{
    LM_TRY
    {
        if (!Generated || !DataMember)
            return std::wstring();
        return Delphi::DocumentationPrefix(Delphi::Bstr(Documentation)) + FieldName + L": " + Type + L";";
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::ReadMethodDeclaration(int levels) const
{
    LM_TRY
    {
        if (!Generated || !GetOperation)
            return std::wstring();
        std::wstring text = Delphi::DocumentationPrefix(Delphi::Bstr(Documentation)) + L"function" + L" " + GetName +
                            L"(" + Parameters + L")" + L": " + Type + L";" + Directive();
        return CVXDelphiModel::IndentText(text, levels);
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::WriteMethodDeclaration(int levels) const
{
    LM_TRY
    {
        if (!Generated || !SetOperation)
            return std::wstring();
        std::wstring text = Delphi::DocumentationPrefix(Delphi::Bstr(Documentation)) + L"procedure" + L" " + SetName +
                            L"(" + WriteParameters() + L")" + L";" + Directive();
        return CVXDelphiModel::IndentText(text, levels);
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::PropertyDeclaration(int levels) const
{
    LM_TRY
    {
        if (!Generated || !IsProperty)
            return std::wstring();
        std::wstring text = Delphi::DocumentationPrefix(Delphi::Bstr(Documentation)) + L"property " + PropertyName;
        if (!Parameters.empty())
            text += L"[" + Parameters + L"]";
        text += L": " + Type;
        if (GetOperation)
            text += L" read " + GetName;
        if (SetOperation)
            text += L" write " + SetName;
        text += L";";
        return CVXDelphiModel::IndentText(text, levels);
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::Initialization() const
{
    LM_TRY
    {
        if (!Generated || !DataMember || InitialValue.empty())
            return std::wstring();
        return FieldName + L":=" + InitialValue + L";";
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::ReadMethodImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones) const
{
    LM_TRY
    {
        if (!Generated || !GetOperation || Kind == L"abstract")
            return std::wstring();
        std::wstring scope = ClassName + L"::" + GetName;
        std::wstring text = Delphi::DocumentationPrefix(Delphi::Bstr(Documentation)) + L"function" + L" " +
                            ClassName + L"." + GetName + L"(" + Parameters + L")" + L": " + Type + L";" + L"\r\n";
        text += Delphi::Zone(zones, scope, UniqueId, L"getvar", std::wstring(), std::wstring());
        text += L"begin\r\n";
        std::wstring body;
        if (DataMember)
            body = std::wstring(Delphi::Unit) + Delphi::Unit + L"Result:=" + FieldName + L";" + L"\r\n";
        text += Delphi::Zone(zones, scope, UniqueId, L"getbody", Delphi::Unit, body);
        text += L"end;";
        return text;
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::WriteMethodImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones) const
{
    LM_TRY
    {
        if (!Generated || !SetOperation || Kind == L"abstract")
            return std::wstring();
        std::wstring scope = ClassName + L"::" + SetName;
        std::wstring text = Delphi::DocumentationPrefix(Delphi::Bstr(Documentation)) + L"procedure" + L" " +
                            ClassName + L"." + SetName + L"(" + WriteParameters() + L")" + L";" + L"\r\n";
        text += Delphi::Zone(zones, scope, UniqueId, L"setvar", std::wstring(), std::wstring());
        text += L"begin\r\n";
        std::wstring body;
        if (DataMember)
            body = std::wstring(Delphi::Unit) + Delphi::Unit + FieldName + L":=Value;" + L"\r\n";
        text += Delphi::Zone(zones, scope, UniqueId, L"setbody", Delphi::Unit, body);
        text += L"end;";
        return text;
    }
    LM_END_TRY
}
