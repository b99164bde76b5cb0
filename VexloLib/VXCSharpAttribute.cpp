#include "VXCSharpAttribute.h"

#include "LmTranslate.h"
#include "VXAttribute.h"
#include "VXCSharpClass.h"
#include "VXCSharpOwner.h"
#include "VXClass.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpAttribute> CVXCSharpAttribute::Create(const CLmPtr<CVXAttribute>& element)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpAttribute>(CLmPtr<CLmRefsObject>(element));
    }
    LM_END_TRY
}

CVXCSharpAttribute::CVXCSharpAttribute(const CLmPtr<CLmRefsObject>& element) : CVXCSharpExtensionElement(element) {}

CVXCSharpAttribute::~CVXCSharpAttribute() = default;

CLmPtr<CVXAttribute> CVXCSharpAttribute::GetAttribute()
{
    LM_TRY
    {
        CLmPtr<CVXAttribute> element(GetOwner());
        LM_CHECK_POINTER(element.GetTyped(), L"Attribute");
        return element;
    }
    LM_END_TRY
}

long CVXCSharpAttribute::GetFieldBucket()
{
    return 1;
}

bool CVXCSharpAttribute::IsProperty()
{
    LM_TRY
    {
        return IsPropertyTrue(L"IsProperty");
    }
    LM_END_TRY
}

bool CVXCSharpAttribute::IsDataMember()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateDataMember");
    }
    LM_END_TRY
}

bool CVXCSharpAttribute::HasGetOperation()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateGetOperation");
    }
    LM_END_TRY
}

bool CVXCSharpAttribute::HasSetOperation()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateSetOperation");
    }
    LM_END_TRY
}

int CVXCSharpAttribute::GetMemberKind()
{
    LM_TRY
    {
        return MemberKindOf(GetPropertyLower(L"Kind"));
    }
    LM_END_TRY
}

bool CVXCSharpAttribute::IsReadOnly()
{
    LM_TRY
    {
        return IsPropertyTrue(L"ReadOnly");
    }
    LM_END_TRY
}

bool CVXCSharpAttribute::IsConst()
{
    LM_TRY
    {
        return IsPropertyTrue(L"Const");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpAttribute::GetParameters()
{
    LM_TRY
    {
        return GetProperty(L"Parameters");
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpAttribute::GetImplementation(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpAttribute::GetGetDeclaration(CLmPtr<CVXPreservedZones>, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpAttribute::GetGetText(CLmPtr<CVXPreservedZones>, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpAttribute::GetSetDeclaration(CLmPtr<CVXPreservedZones>, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpAttribute::GetSetText(CLmPtr<CVXPreservedZones>, int)
{
    return CLmBSTR();
}

CLmBSTR CVXCSharpAttribute::GetDeclaration(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return Bstr(GetMemberText(ReadOwner()).FieldText());
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpAttribute::GetPropertyText(CLmPtr<CVXPreservedZones> zones, int level)
{
    LM_TRY
    {
        CVXCSharpOwner owner = ReadOwner();
        return Bstr(GetMemberText(owner).PropertyText(zones, level, owner));
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpAttribute::GetInitialization()
{
    LM_TRY
    {
        return Bstr(GetMemberText(ReadOwner()).Initialization());
    }
    LM_END_TRY
}

bool CVXCSharpAttribute::IsGenerated()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateCode");
    }
    LM_END_TRY
}

CVXCSharpOwner CVXCSharpAttribute::ReadOwner()
{
    LM_TRY
    {
        return CVXCSharpClass::ReadOwner(GetAttribute()->GetParentClass());
    }
    LM_END_TRY
}

CVXCSharpMemberText CVXCSharpAttribute::GetMemberText(const CVXCSharpOwner&)
{
    LM_TRY
    {
        CVXCSharpMemberText text;
        text.Generated = IsGenerated();
        text.ReadSettings(*this);
        if (!text.HasText())
            return text;
        CLmPtr<CVXAttribute> attribute = GetAttribute();
        text.Name = Text(attribute->GetName());
        text.Type = Text(attribute->GetType());
        text.InitialValue = Text(attribute->GetInitValue());
        text.Documentation = Text(attribute->GetDocumentation());
        text.UniqueId = Text(attribute->GetUniqueID());
        if (text.IsProperty)
            text.Visibility = attribute->GetVisibility();
        text.ReadNames(*this);
        return text;
    }
    LM_END_TRY
}
