#include "VXCSharpOperation.h"

#include "LmTranslate.h"
#include "VXCSharpClass.h"
#include "VXCSharpOwner.h"
#include "VXCSharpParameter.h"
#include "VXClass.h"
#include "VXOperation.h"
#include "VXItem.h"
#include "VXParameter.h"
#include "VXParameterCollection.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpOperation> CVXCSharpOperation::Create(const CLmPtr<CVXOperation>& operation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpOperation>(CLmPtr<CLmRefsObject>(operation));
    }
    LM_END_TRY
}

CVXCSharpOperation::CVXCSharpOperation(const CLmPtr<CLmRefsObject>& operation) : CVXCSharpExtensionElement(operation)
{
}

CVXCSharpOperation::~CVXCSharpOperation() = default;

bool CVXCSharpOperation::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXOperation> CVXCSharpOperation::GetOperation()
{
    LM_TRY
    {
        CLmPtr<CVXOperation> operation(GetOwner());
        LM_CHECK_POINTER(operation.GetTyped(), L"operation");
        return operation;
    }
    LM_END_TRY
}

int CVXCSharpOperation::GetMemberKind()
{
    LM_TRY
    {
        return MemberKindOf(GetPropertyLower(L"Kind"));
    }
    LM_END_TRY
}

CVXCSharpOperation::OperationType CVXCSharpOperation::GetOperationType()
{
    LM_TRY
    {
        std::wstring type = GetPropertyLower(L"Type");
        if (type == L"operation")
            return TypeOperation;
        if (type == L"event")
            return TypeEvent;
        if (type == L"new")
            return TypeNew;
        return TypeNone;
    }
    LM_END_TRY
}

int CVXCSharpOperation::GetCallingConvention()
{
    LM_TRY
    {
        static const wchar_t* const conventions[] = {L"stdcall", L"cdecl", L"pascal", L"register", L"safecall"};
        std::wstring convention = GetPropertyLower(L"CallingConvention");
        for (int i = 0; i < 5; ++i)
            if (convention == conventions[i])
                return i + 1;
        return 0;
    }
    LM_END_TRY
}

bool CVXCSharpOperation::IsGenerated()
{
    LM_TRY
    {
        return !IsWord(GetProperty(L"GenerateCode"), L"FALSE");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpOperation::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpOperation::GetDeclaration(const CLmPtr<CVXPreservedZones>& zones, long level)
{
    LM_TRY
    {
        CVXCSharpOwner owner = CVXCSharpClass::ReadOwner(GetOperation()->GetParentClass());
        return Bstr(GetMethodText(zones, static_cast<int>(level), owner));
    }
    LM_END_TRY
}

std::wstring CVXCSharpOperation::GetMethodText(const CLmPtr<CVXPreservedZones>& zones, int level,
                                               CVXCSharpOwner& owner, std::optional<long>* visibility)
{
    LM_TRY
    {
        CLmPtr<CVXOperation> operation = GetOperation();
        const std::wstring name = Text(operation->GetName());
        const std::wstring returnType = Text(operation->GetReturnType());
        const bool constructor = name == owner.ClassName && returnType == owner.ClassName;
        int kind = MemberNone;

        std::wstring text = DocumentationComment(Text(operation->GetDocumentation()), std::wstring());
        if (!owner.IsInterface)
        {
            kind = GetMemberKind();
            const long access = operation->GetVisibility();
            if (visibility)
                *visibility = access;
            text += AccessWord(access, L"internal ") + ModifierWord(kind);
            OperationType type = GetOperationType();
            if (type == TypeEvent)
                text += L"event ";
            else if (type == TypeNew)
                text += L"new ";
        }
        if (!constructor && !returnType.empty())
            text += returnType + L" ";
        text += name + L"(";
        CLmPtr<CVXParameterCollection> parameters = operation->GetParameters();
        const CLmBSTR tool(ToolName);
        for (LONG i = 0, count = parameters->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXItem> parameter = parameters->GetAt(i);
            if (parameter.IsNull())
                continue;
            if (i > 0)
                text += L",";
            if (CVXParameter* typed = dynamic_cast<CVXParameter*>(parameter.GetTyped()))
                CVXCSharpParameter::AppendDeclaration(text, *typed);
            else
                AppendText(text, parameter->GetDeclaration(tool, zones, 0));
        }
        text += L")";
        if (kind == MemberAbstract || owner.IsInterface)
            return text + L";";

        text += L"\r\n{\r\n";
        if (constructor)
        {
            if (!owner.InitializersKnown)
                CVXCSharpClass::ReadInitializers(operation->GetParentClass(), owner);
            text += owner.Initializers;
        }
        const std::wstring scope = owner.ClassName + L"::" + name;
        text += Zone(zones, scope, Text(operation->GetUniqueID()), L"body", Unit, std::wstring(),
                     [level](const std::wstring& found) { return UnindentText(found, level); });
        return text + L"}";
    }
    LM_END_TRY
}
