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

CVXDelphiAttribute::CVXDelphiAttribute(const CLmPtr<CLmRefsObject>& element) : CVXDelphiFieldMember(element) {}

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
