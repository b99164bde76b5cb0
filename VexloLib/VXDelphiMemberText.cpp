#include "VXDelphiMemberText.h"

#include "LmTranslate.h"
#include "VXDelphiExtension.h"
#include "VXDelphiModel.h"

using Delphi = CVXDelphiExtension;

void CVXDelphiMemberText::SetNames(const std::wstring& fieldName, const std::wstring& getName,
                                   const std::wstring& setName, const std::wstring& propertyName)
{
    FieldName = fieldName.empty() ? L"F" + Name : fieldName;
    GetName = getName.empty() ? L"Get" + Name : getName;
    SetName = setName.empty() ? L"Set" + Name : setName;
    PropertyName = propertyName.empty() ? Name : propertyName;
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
