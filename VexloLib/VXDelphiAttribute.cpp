#include "VXDelphiAttribute.h"

#include "LmTranslate.h"
#include "VXClass.h"
#include "VXAttribute.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiAttribute> CVXDelphiAttribute::Create(const CLmPtr<CVXAttribute>& element)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiAttribute>(CLmPtr<CLmRefsObject>(element));
    }
    LM_END_TRY
}

CVXDelphiAttribute::CVXDelphiAttribute(const CLmPtr<CLmRefsObject>& element) : CVXDelphiExtensionElement(element) {}

CVXDelphiAttribute::~CVXDelphiAttribute() = default;

CLmPtr<CVXAttribute> CVXDelphiAttribute::GetAttribute()
{
    LM_TRY
    {
        CLmPtr<CVXAttribute> element(GetOwner());
        LM_CHECK_POINTER(element.GetTyped(), L"Attribute");
        return element;
    }
    LM_END_TRY
}

long CVXDelphiAttribute::GetFieldVisibility()
{
    return 1;
}

CLmBSTR CVXDelphiAttribute::GetImplementation(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return CLmBSTR();
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetDeclaration(CLmPtr<CVXPreservedZones>, long)
{
    LM_TRY
    {
        return Bstr(GetMemberText().FieldDeclaration());
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetReadMethodImplementation(CLmPtr<CVXPreservedZones> zones, int)
{
    LM_TRY
    {
        return Bstr(GetMemberText().ReadMethodImplementation(zones));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetReadMethodDeclaration(CLmPtr<CVXPreservedZones>, int levels)
{
    LM_TRY
    {
        return Bstr(GetMemberText().ReadMethodDeclaration(levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetWriteMethodImplementation(CLmPtr<CVXPreservedZones> zones, int)
{
    LM_TRY
    {
        return Bstr(GetMemberText().WriteMethodImplementation(zones));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetWriteMethodDeclaration(CLmPtr<CVXPreservedZones>, int levels)
{
    LM_TRY
    {
        return Bstr(GetMemberText().WriteMethodDeclaration(levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetPropertyDeclaration(CLmPtr<CVXPreservedZones>, int levels)
{
    LM_TRY
    {
        return Bstr(GetMemberText().PropertyDeclaration(levels));
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiAttribute::GetInitialization()
{
    LM_TRY
    {
        return Bstr(GetMemberText().Initialization());
    }
    LM_END_TRY
}

CVXDelphiMemberText CVXDelphiAttribute::GetMemberText()
{
    LM_TRY
    {
        return GetMemberText(nullptr, nullptr);
    }
    LM_END_TRY
}

CVXDelphiMemberText CVXDelphiAttribute::GetMemberText(const std::wstring* className, const std::wstring* classKind)
{
    LM_TRY
    {
        CVXDelphiMemberText text;
        text.Generated = IsPropertyTrue(L"GenerateCode");
        if (!text.Generated)
            return text;
        CLmPtr<CVXAttribute> attribute = GetAttribute();
        text.ReadSettings(*this);
        if (className && classKind)
        {
            text.ClassName = *className;
            text.ClassKind = *classKind;
        }
        else
            text.ReadClass(attribute->GetParentClass());
        text.Name = Text(attribute->GetName());
        text.Type = Text(attribute->GetType());
        text.InitialValue = Text(attribute->GetInitValue());
        text.ReadIdentity(*this, *attribute);
        return text;
    }
    LM_END_TRY
}
