#include "VXDelphiOperation.h"

#include "LmTranslate.h"
#include "VXAttribute.h"
#include "VXAttributeCollection.h"
#include "VXClass.h"
#include "VXDelphiAttribute.h"
#include "VXDelphiParameter.h"
#include "VXOperation.h"
#include "VXParameter.h"
#include "VXParameterCollection.h"

#include <algorithm>

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiOperation> CVXDelphiOperation::Create(const CLmPtr<CVXOperation>& operation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiOperation>(CLmPtr<CLmRefsObject>(operation));
    }
    LM_END_TRY
}

CVXDelphiOperation::CVXDelphiOperation(const CLmPtr<CLmRefsObject>& operation) : CVXDelphiExtensionElement(operation)
{
}

CVXDelphiOperation::~CVXDelphiOperation() = default;

bool CVXDelphiOperation::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXOperation> CVXDelphiOperation::GetOperation()
{
    LM_TRY
    {
        CLmPtr<CVXOperation> operation(GetOwner());
        LM_CHECK_POINTER(operation.GetTyped(), L"operation");
        return operation;
    }
    LM_END_TRY
}

std::wstring CVXDelphiOperation::GetMethodKind()
{
    LM_TRY
    {
        return GetPropertyLower(L"Kind");
    }
    LM_END_TRY
}

std::wstring CVXDelphiOperation::GetMethodType()
{
    LM_TRY
    {
        return GetPropertyLower(L"Type");
    }
    LM_END_TRY
}

std::wstring CVXDelphiOperation::GetCallingConvention()
{
    LM_TRY
    {
        return GetPropertyLower(L"CallingConvention");
    }
    LM_END_TRY
}

bool CVXDelphiOperation::IsOverload()
{
    LM_TRY
    {
        return IsPropertyTrue(L"IsOverload");
    }
    LM_END_TRY
}

bool CVXDelphiOperation::IsGenerated()
{
    LM_TRY
    {
        return !IsWord(GetProperty(L"GenerateCode"), L"FALSE");
    }
    LM_END_TRY
}

CVXDelphiOperation::Values CVXDelphiOperation::ReadValues(const std::wstring* className,
                                                           const std::wstring* classKind)
{
    LM_TRY
    {
        Values values;
        CLmPtr<CVXOperation> operation = GetOperation();
        // The operation's settings, read on one reader rather than one lookup each.
        const CVXToolProperties properties = Properties();
        values.Name = Text(operation->GetName());
        values.UniqueId = Text(operation->GetUniqueID());
        if (className && classKind)
        {
            values.ClassName = *className;
            values.ClassKind = *classKind;
        }
        else
        {
            CLmPtr<CVXClass> owner = operation->GetParentClass();
            if (!owner.IsNull())
            {
                values.ClassName = Text(owner->GetName());
                values.ClassKind = Lower(GetToolProperty(*owner, ToolName, L"Kind"));
            }
        }
        CLmPtr<CVXParameterCollection> parameters = operation->GetParameters();
        const CLmBSTR tool(ToolName);
        for (LONG i = 0, count = parameters->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXItem> parameter = parameters->GetAt(i);
            if (parameter.IsNull())
                continue;
            if (i > 0)
                values.Parameters += L";";
            if (CVXParameter* typed = dynamic_cast<CVXParameter*>(parameter.GetTyped()))
                CVXDelphiParameter::AppendImplementation(values.Parameters, *typed);
            else
                AppendText(values.Parameters, parameter->GetImplementation(tool, CLmPtr<CVXPreservedZones>(), 0));
        }
        std::wstring returnType = Text(operation->GetReturnType());
        if (!returnType.empty())
            values.ReturnPart = L": " + returnType;
        values.Keyword = returnType.empty() ? L"procedure" : L"function";
        if (!IsInterfaceKind(values.ClassKind))
        {
            std::wstring type = properties.Lower(L"Type");
            if (type == L"constructor")
                values.Keyword = L"constructor";
            else if (type == L"destructor")
                values.Keyword = L"destructor";
            else if (type == L"static")
                values.Keyword = L"class " + values.Keyword;
        }
        values.Documentation = DocumentationPrefix(operation->GetDocumentation());
        values.Overload = properties.IsTrue(L"IsOverload");
        values.MethodKind = properties.Lower(L"Kind");
        values.CallingConvention = properties.Lower(L"CallingConvention");
        return values;
    }
    LM_END_TRY
}

std::wstring CVXDelphiOperation::DeclarationText(const Values& values)
{
    LM_TRY
    {
        std::wstring directives;
        if (values.Overload)
            directives = L"overload;";
        if (!IsInterfaceKind(values.ClassKind))
        {
            std::wstring kind = KindDirective(values.MethodKind);
            if (!kind.empty())
                directives += (directives.empty() ? L"" : L" ") + kind;
        }
        // The calling convention comes after the other directives; it does not take
        // their place, so that an overloaded or virtual method keeps its directives.
        const std::wstring& convention = values.CallingConvention;
        if (convention == L"stdcall" || convention == L"cdecl" || convention == L"pascal" ||
            convention == L"register" || convention == L"safecall")
            directives += (directives.empty() ? L"" : L" ") + convention + L";";
        if (!directives.empty())
            directives = L" " + directives;
        std::wstring text;
        text.reserve(values.Documentation.size() + values.Keyword.size() + values.Name.size() +
                     values.Parameters.size() + values.ReturnPart.size() + directives.size() + 4);
        text += values.Documentation;
        text += values.Keyword;
        text += L' ';
        text += values.Name;
        text += L'(';
        text += values.Parameters;
        text += L')';
        text += values.ReturnPart;
        text += L';';
        text += directives;
        return text;
    }
    LM_END_TRY
}

bool CVXDelphiOperation::ImplementationText(std::wstring& text, const Values& values,
                                            const CLmPtr<CVXPreservedZones>& zones,
                                            const std::vector<std::wstring>* initializations)
{
    LM_TRY
    {
        if (values.MethodKind == L"abstract")
            return false;
        std::wstring scope = values.ClassName + L"::" + values.Name;
        // Grown at least twofold: the text may be a whole class's.
        if (text.size() + 256 > text.capacity())
            text.reserve(std::max(text.size() + 256, 2 * text.capacity()));
        text += values.Documentation;
        text += values.Keyword;
        text += L' ';
        text += values.ClassName;
        text += L'.';
        text += values.Name;
        text += L'(';
        text += values.Parameters;
        text += L')';
        text += values.ReturnPart;
        text += L";\r\n";
        text += Zone(zones, scope, values.UniqueId, L"var", std::wstring(), std::wstring());
        text += L"begin\r\n";
        if (values.Keyword == L"constructor")
        {
            // A constructor first gives the fields their initial values.
            std::vector<std::wstring> read;
            if (!initializations)
            {
                CLmPtr<CVXClass> owner = GetOperation()->GetParentClass();
                CLmPtr<CVXAttributeCollection> attributes = owner->GetAttributes();
                for (LONG i = 0, count = attributes->GetCount(); i < count; ++i)
                {
                    CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
                    if (attribute.IsNull())
                        continue;
                    CLmPtr<CVXDelphiAttribute> extension(attribute->GetExtension(CLmBSTR(ToolName)));
                    if (!extension.IsNull())
                        read.push_back(Text(extension->GetInitialization()));
                }
                initializations = &read;
            }
            for (const std::wstring& statement : *initializations)
                if (!statement.empty())
                    text += Unit + statement + L"\r\n";
        }
        text += Zone(zones, scope, values.UniqueId, L"body", Unit, std::wstring());
        text += L"end;";
        return true;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiOperation::GetDeclaration(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return Bstr(DeclarationText(ReadValues()));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiOperation::GetImplementation(const CLmPtr<CVXPreservedZones>& zones, long)
{
    LM_TRY
    {
        if (GetMethodKind() == L"abstract")
            return CLmBSTR();
        std::wstring text;
        ImplementationText(text, ReadValues(), zones, nullptr);
        return Bstr(text);
    }
    LM_END_TRY
}
