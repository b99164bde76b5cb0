#include "VXCSharpFieldMember.h"

#include "LmTranslate.h"
#include "VXCSharpOwner.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXCSharpFieldMember::CVXCSharpFieldMember(const CLmPtr<CLmRefsObject>& element) : CVXCSharpExtensionElement(element) {}

CVXCSharpFieldMember::~CVXCSharpFieldMember() = default;

long CVXCSharpFieldMember::GetFieldBucket()
{
    return 1;
}

bool CVXCSharpFieldMember::IsProperty()
{
    LM_TRY
    {
        return IsPropertyTrue(L"IsProperty");
    }
    LM_END_TRY
}

bool CVXCSharpFieldMember::IsDataMember()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateDataMember");
    }
    LM_END_TRY
}

bool CVXCSharpFieldMember::HasGetOperation()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateGetOperation");
    }
    LM_END_TRY
}

bool CVXCSharpFieldMember::HasSetOperation()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateSetOperation");
    }
    LM_END_TRY
}

int CVXCSharpFieldMember::GetMemberKind()
{
    LM_TRY
    {
        return MemberKindOf(GetPropertyLower(L"Kind"));
    }
    LM_END_TRY
}

bool CVXCSharpFieldMember::IsReadOnly()
{
    LM_TRY
    {
        return IsPropertyTrue(L"ReadOnly");
    }
    LM_END_TRY
}

bool CVXCSharpFieldMember::IsConst()
{
    LM_TRY
    {
        return IsPropertyTrue(L"Const");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpFieldMember::GetParameters()
{
    LM_TRY
    {
        return GetProperty(L"Parameters");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpFieldMember::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpFieldMember::GetGetDeclaration(const CLmPtr<CVXPreservedZones>&, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpFieldMember::GetGetText(const CLmPtr<CVXPreservedZones>&, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpFieldMember::GetSetDeclaration(const CLmPtr<CVXPreservedZones>&, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpFieldMember::GetSetText(const CLmPtr<CVXPreservedZones>&, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpFieldMember::GetDeclaration(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        return Bstr(GetMemberText(ReadOwner()).FieldText());
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpFieldMember::GetPropertyText(const CLmPtr<CVXPreservedZones>& zones, int level)
{
    LM_TRY
    {
        CVXCSharpOwner owner = ReadOwner();
        return Bstr(GetMemberText(owner).PropertyText(zones, level, owner));
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpFieldMember::GetInitialization()
{
    LM_TRY
    {
        return Bstr(GetMemberText(ReadOwner()).Initialization());
    }
    LM_END_TRY
}
