#include "VXDelphiOperation.h"

#include "LmTranslate.h"
#include "VXAttribute.h"
#include "VXAttributeCollection.h"
#include "VXClass.h"
#include "VXDelphiAttribute.h"
#include "VXOperation.h"
#include "VXParameter.h"
#include "VXParameterCollection.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

// What the declaration and the implementation share, read once per text.
struct CVXDelphiOperation::Pieces
{
    std::wstring Name;
    std::wstring ClassName;
    std::wstring ClassKind;
    std::wstring Parameters;    // joined with ";"
    std::wstring ReturnPart;    // ": " + return type, or empty
    std::wstring Keyword;       // function, procedure, constructor, destructor, class ...
    std::wstring Documentation; // the prefix, "{...}" CR LF, or empty
    std::wstring UniqueId;
};

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
        CLmBSTR value = GetProperty(L"GenerateCode");
        value.MakeUpper();
        return !(value == L"FALSE");
    }
    LM_END_TRY
}

CVXDelphiOperation::Pieces CVXDelphiOperation::GetPieces()
{
    LM_TRY
    {
        Pieces pieces;
        CLmPtr<CVXOperation> operation = GetOperation();
        pieces.Name = Text(operation->GetName());
        pieces.UniqueId = Text(operation->GetUniqueID());
        CLmPtr<CVXClass> owner = operation->GetParentClass();
        if (!owner.IsNull())
        {
            pieces.ClassName = Text(owner->GetName());
            pieces.ClassKind = Lower(owner->GetPropertyValue(CLmBSTR(ToolName), CLmBSTR(L"Kind")));
        }
        CLmPtr<CVXParameterCollection> parameters = operation->GetParameters();
        for (LONG i = 0; i < parameters->GetCount(); ++i)
        {
            CLmPtr<CVXItem> parameter = parameters->GetAt(i);
            if (parameter.IsNull())
                continue;
            if (i > 0)
                pieces.Parameters += L";";
            pieces.Parameters +=
                Text(parameter->GetImplementation(CLmBSTR(ToolName), CLmPtr<CVXPreservedZones>(), 0));
        }
        std::wstring returnType = Text(operation->GetReturnType());
        if (!returnType.empty())
            pieces.ReturnPart = L": " + returnType;
        pieces.Keyword = returnType.empty() ? L"procedure" : L"function";
        if (!IsInterfaceKind(pieces.ClassKind))
        {
            std::wstring type = GetMethodType();
            if (type == L"constructor")
                pieces.Keyword = L"constructor";
            else if (type == L"destructor")
                pieces.Keyword = L"destructor";
            else if (type == L"static")
                pieces.Keyword = L"class " + pieces.Keyword;
        }
        pieces.Documentation = DocumentationPrefix(operation->GetDocumentation());
        return pieces;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiOperation::GetDeclaration(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        Pieces pieces = GetPieces();
        std::wstring directives;
        if (IsOverload())
            directives = L"overload;";
        if (!IsInterfaceKind(pieces.ClassKind))
        {
            std::wstring kind = KindDirective(GetMethodKind());
            if (!kind.empty())
                directives += (directives.empty() ? L"" : L" ") + kind;
        }
        // The calling convention comes after the other directives; it does not take
        // their place, so that an overloaded or virtual method keeps its directives.
        std::wstring convention = GetCallingConvention();
        if (convention == L"stdcall" || convention == L"cdecl" || convention == L"pascal" ||
            convention == L"register" || convention == L"safecall")
            directives += (directives.empty() ? L"" : L" ") + convention + L";";
        if (!directives.empty())
            directives = L" " + directives;
        return Bstr(pieces.Documentation + pieces.Keyword + L" " + pieces.Name + L"(" + pieces.Parameters + L")" +
                    pieces.ReturnPart + L";" + directives);
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiOperation::GetImplementation(CLmPtr<CVXPreservedZones> zones, long)
{
    LM_TRY
    {
        if (GetMethodKind() == L"abstract")
            return CLmBSTR();
        Pieces pieces = GetPieces();
        std::wstring scope = pieces.ClassName + L"::" + pieces.Name;
        std::wstring text = pieces.Documentation + pieces.Keyword + L" " + pieces.ClassName + L"." + pieces.Name +
                            L"(" + pieces.Parameters + L")" + pieces.ReturnPart + L";" + L"\r\n";
        text += Zone(zones, scope, pieces.UniqueId, L"var", std::wstring(), std::wstring());
        text += L"begin\r\n";
        if (pieces.Keyword == L"constructor")
        {
            // A constructor first gives the fields their initial values.
            CLmPtr<CVXClass> owner = GetOperation()->GetParentClass();
            CLmPtr<CVXAttributeCollection> attributes = owner->GetAttributes();
            for (LONG i = 0; i < attributes->GetCount(); ++i)
            {
                CLmPtr<CVXAttribute> attribute = attributes->GetAt(i);
                if (attribute.IsNull())
                    continue;
                CLmPtr<CVXDelphiAttribute> extension(attribute->GetExtension(CLmBSTR(ToolName)));
                if (extension.IsNull())
                    continue;
                std::wstring statement = Text(extension->GetInitialization());
                if (!statement.empty())
                    text += Unit + statement + L"\r\n";
            }
        }
        text += Zone(zones, scope, pieces.UniqueId, L"body", Unit, std::wstring());
        text += L"end;";
        return Bstr(text);
    }
    LM_END_TRY
}
