#include "VXDelphiRole.h"

#include "LmTranslate.h"
#include "VXClass.h"
#include "VXRole.h"
#include "VXAssociation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiRole> CVXDelphiRole::Create(const CLmPtr<CVXRole>& element)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiRole>(CLmPtr<CLmRefsObject>(element));
    }
    LM_END_TRY
}

CVXDelphiRole::CVXDelphiRole(const CLmPtr<CLmRefsObject>& element) : CVXDelphiFieldMember(element) {}

CVXDelphiRole::~CVXDelphiRole() = default;

CLmPtr<CVXRole> CVXDelphiRole::GetRole()
{
    LM_TRY
    {
        CLmPtr<CVXRole> element(GetOwner());
        LM_CHECK_POINTER(element.GetTyped(), L"Role");
        return element;
    }
    LM_END_TRY
}

CVXDelphiMemberText CVXDelphiRole::GetMemberText()
{
    LM_TRY
    {
        CVXDelphiMemberText text;
        CLmPtr<CVXRole> role = GetRole();
        text.Generated = IsPropertyTrue(L"GenerateCode") && role->IsAggregate();
        if (!text.Generated)
            return text;
        text.ReadSettings(*this);
        text.ReadClass(role->GetClass());
        // The type is the class at the other end: role 1's class, unless that is this
        // role's own class (then role 2's, which for a reflexive association is the same).
        CLmPtr<CVXAssociation> association = role->GetAssociation();
        if (!association.IsNull())
        {
            CLmPtr<CVXRole> first = association->GetRole1();
            CLmPtr<CVXClass> other = first.IsNull() ? CLmPtr<CVXClass>() : first->GetClass();
            std::wstring type = other.IsNull() ? std::wstring() : Text(other->GetName());
            if (type == text.ClassName)
            {
                CLmPtr<CVXRole> second = association->GetRole2();
                other = second.IsNull() ? CLmPtr<CVXClass>() : second->GetClass();
                type = other.IsNull() ? std::wstring() : Text(other->GetName());
            }
            text.Type = type;
        }
        text.Name = Text(role->GetName());
        text.InitialValue = Text(GetProperty(L"InitValue"));
        text.ReadIdentity(*this, *role);
        return text;
    }
    LM_END_TRY
}
