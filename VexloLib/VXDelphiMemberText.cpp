#include "VXDelphiMemberText.h"

#include "LmTranslate.h"
#include "VXDelphiExtension.h"
#include "VXDelphiExtensionElement.h"
#include "VXDelphiModel.h"
#include "VXClass.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

using Delphi = CVXDelphiExtension;

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

namespace
{
    // The documentation as a host string would hand it over: up to its first terminator.
    std::wstring_view Documented(const std::wstring& documentation)
    {
        return std::wstring_view(documentation.c_str());
    }

    // What DocumentationPrefix makes of that text, appended.
    void AppendDocumentation(std::wstring& text, std::wstring_view documentation)
    {
        if (documentation.empty())
            return;
        text += L'{';
        text += documentation;
        text += L"}\r\n";
    }

    // Room for the documentation's prefix and the given pieces.
    void Reserve(std::wstring& text, std::wstring_view documentation, std::initializer_list<size_t> sizes)
    {
        size_t size = documentation.size() + 3;
        for (size_t piece : sizes)
            size += piece;
        text.reserve(size + 16);
    }
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
    std::wstring parameters;
    parameters.reserve(Parameters.size() + Type.size() + 9);
    if (!Parameters.empty())
    {
        parameters += Parameters;
        parameters += L"; ";
    }
    parameters += L"Value: ";
    parameters += Type;
    return parameters;
}

std::wstring CVXDelphiMemberText::FieldDeclaration() const
{
    LM_TRY
    {
        if (!Generated || !DataMember)
            return std::wstring();
        const std::wstring_view documentation = Documented(Documentation);
        std::wstring text;
        Reserve(text, documentation, {FieldName.size(), Type.size()});
        AppendDocumentation(text, documentation);
        text += FieldName;
        text += L": ";
        text += Type;
        text += L';';
        return text;
    }
    LM_END_TRY
}

std::wstring CVXDelphiMemberText::ReadMethodDeclaration(int levels) const
{
    LM_TRY
    {
        if (!Generated || !GetOperation)
            return std::wstring();
        const std::wstring_view documentation = Documented(Documentation);
        const std::wstring directive = Directive();
        std::wstring text;
        Reserve(text, documentation, {GetName.size(), Parameters.size(), Type.size(), directive.size()});
        AppendDocumentation(text, documentation);
        text += L"function ";
        text += GetName;
        text += L'(';
        text += Parameters;
        text += L"): ";
        text += Type;
        text += L';';
        text += directive;
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
        const std::wstring_view documentation = Documented(Documentation);
        const std::wstring parameters = WriteParameters();
        const std::wstring directive = Directive();
        std::wstring text;
        Reserve(text, documentation, {SetName.size(), parameters.size(), directive.size()});
        AppendDocumentation(text, documentation);
        text += L"procedure ";
        text += SetName;
        text += L'(';
        text += parameters;
        text += L");";
        text += directive;
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
        const std::wstring_view documentation = Documented(Documentation);
        std::wstring text;
        Reserve(text, documentation,
                {PropertyName.size(), Parameters.size(), Type.size(), GetName.size(), SetName.size(), 24});
        AppendDocumentation(text, documentation);
        text += L"property ";
        text += PropertyName;
        if (!Parameters.empty())
        {
            text += L'[';
            text += Parameters;
            text += L']';
        }
        text += L": ";
        text += Type;
        if (GetOperation)
        {
            text += L" read ";
            text += GetName;
        }
        if (SetOperation)
        {
            text += L" write ";
            text += SetName;
        }
        text += L';';
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
        std::wstring text;
        text.reserve(FieldName.size() + InitialValue.size() + 3);
        text += FieldName;
        text += L":=";
        text += InitialValue;
        text += L';';
        return text;
    }
    LM_END_TRY
}

void CVXDelphiMemberText::MethodImplementation(std::wstring& text, const LmLib::CLmPtr<CVXPreservedZones>& zones,
                                               const wchar_t* keyword, const std::wstring& method,
                                               const std::wstring& parameters, bool function, const wchar_t* varTag,
                                               const wchar_t* bodyTag, const std::wstring& body) const
{
    std::wstring scope;
    scope.reserve(ClassName.size() + method.size() + 2);
    scope += ClassName;
    scope += L"::";
    scope += method;
    const std::wstring_view documentation = Documented(Documentation);
    const std::wstring var = Delphi::Zone(zones, scope, UniqueId, varTag, std::wstring(), std::wstring());
    const std::wstring code = Delphi::Zone(zones, scope, UniqueId, bodyTag, Delphi::Unit, body);
    // Grown at least twofold: the text may be a whole class's.
    size_t size = text.size() + documentation.size() + ClassName.size() + method.size() + parameters.size() +
                  Type.size() + var.size() + code.size() + 48;
    if (size > text.capacity())
        text.reserve(std::max(size, 2 * text.capacity()));
    AppendDocumentation(text, documentation);
    text += keyword;
    text += L' ';
    text += ClassName;
    text += L'.';
    text += method;
    text += L'(';
    text += parameters;
    text += L')';
    if (function)
    {
        text += L": ";
        text += Type;
    }
    text += L";\r\n";
    text += var;
    text += L"begin\r\n";
    text += code;
    text += L"end;";
}

bool CVXDelphiMemberText::ReadMethodImplementation(std::wstring& text,
                                                   const LmLib::CLmPtr<CVXPreservedZones>& zones) const
{
    LM_TRY
    {
        if (!Generated || !GetOperation || Kind == L"abstract")
            return false;
        std::wstring body;
        if (DataMember)
            body = std::wstring(Delphi::Unit) + Delphi::Unit + L"Result:=" + FieldName + L";" + L"\r\n";
        MethodImplementation(text, zones, L"function", GetName, Parameters, true, L"getvar", L"getbody", body);
        return true;
    }
    LM_END_TRY
}

bool CVXDelphiMemberText::WriteMethodImplementation(std::wstring& text,
                                                    const LmLib::CLmPtr<CVXPreservedZones>& zones) const
{
    LM_TRY
    {
        if (!Generated || !SetOperation || Kind == L"abstract")
            return false;
        std::wstring body;
        if (DataMember)
            body = std::wstring(Delphi::Unit) + Delphi::Unit + FieldName + L":=Value;" + L"\r\n";
        MethodImplementation(text, zones, L"procedure", SetName, WriteParameters(), false, L"setvar", L"setbody",
                             body);
        return true;
    }
    LM_END_TRY
}
