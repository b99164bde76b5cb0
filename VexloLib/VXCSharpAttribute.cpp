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

CVXCSharpAttribute::CVXCSharpAttribute(const CLmPtr<CLmRefsObject>& element) : CVXCSharpFieldMember(element) {}

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
