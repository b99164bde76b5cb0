#include "VXCSharpRole.h"

#include "LmTranslate.h"
#include "VXAssociation.h"
#include "VXCSharpClass.h"
#include "VXCSharpOwner.h"
#include "VXClass.h"
#include "VXRole.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpRole> CVXCSharpRole::Create(const CLmPtr<CVXRole>& element)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpRole>(CLmPtr<CLmRefsObject>(element));
    }
    LM_END_TRY
}

CVXCSharpRole::CVXCSharpRole(const CLmPtr<CLmRefsObject>& element) : CVXCSharpFieldMember(element) {}

CVXCSharpRole::~CVXCSharpRole() = default;

CLmPtr<CVXRole> CVXCSharpRole::GetRole()
{
    LM_TRY
    {
        CLmPtr<CVXRole> element(GetOwner());
        LM_CHECK_POINTER(element.GetTyped(), L"Role");
        return element;
    }
    LM_END_TRY
}

bool CVXCSharpRole::IsGenerated()
{
    LM_TRY
    {
        return IsPropertyTrue(L"GenerateCode") && GetRole()->IsAggregate();
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpRole::GetInitValue()
{
    LM_TRY
    {
        return GetProperty(L"InitValue");
    }
    LM_END_TRY
}

CVXCSharpOwner CVXCSharpRole::ReadOwner()
{
    LM_TRY
    {
        return CVXCSharpClass::ReadOwner(GetRole()->GetClass());
    }
    LM_END_TRY
}

namespace
{
    // True when a multiplicity ("1", "0..1", "n", "0..*", "1..5", ...) allows more than
    // one target: its upper bound is "n", "*" or a number above 1.
    bool AllowsMany(const std::wstring& cardinality)
    {
        size_t range = cardinality.rfind(L"..");
        std::wstring upper = range == std::wstring::npos ? cardinality : cardinality.substr(range + 2);
        while (!upper.empty() && upper.front() == L' ')
            upper.erase(0, 1);
        while (!upper.empty() && upper.back() == L' ')
            upper.pop_back();
        if (upper == L"n" || upper == L"N" || upper == L"*")
            return true;
        if (upper.empty() || upper.find_first_not_of(L"0123456789") != std::wstring::npos)
            return false;
        size_t digits = upper.find_first_not_of(L'0');
        return digits != std::wstring::npos && (upper.size() - digits > 1 || upper[digits] > L'1');
    }
}

std::wstring CVXCSharpRole::GetTargetType(const std::wstring& ownerName)
{
    LM_TRY
    {
        CLmPtr<CVXRole> role = GetRole();
        // A container is the user's choice for roles with many targets only.
        std::wstring container = Text(GetProperty(L"ContainerClass"));
        if (!container.empty() && AllowsMany(Text(role->GetCardinality())))
            return container;
        // The class at the other end: role 1's class, unless that is named like this
        // role's own class (then role 2's, the same class for a reflexive association).
        CLmPtr<CVXAssociation> association = role->GetAssociation();
        LM_CHECK_POINTER(association.GetTyped(), L"association");
        CLmPtr<CVXRole> first = association->GetRole1();
        LM_CHECK_POINTER(first.GetTyped(), L"first role");
        CLmPtr<CVXClass> other = first->GetClass();
        LM_CHECK_POINTER(other.GetTyped(), L"class of the first role");
        std::wstring type = Text(other->GetName());
        if (type != ownerName)
            return type;
        CLmPtr<CVXRole> second = association->GetRole2();
        LM_CHECK_POINTER(second.GetTyped(), L"second role");
        other = second->GetClass();
        LM_CHECK_POINTER(other.GetTyped(), L"class of the second role");
        return Text(other->GetName());
    }
    LM_END_TRY
}

CVXCSharpMemberText CVXCSharpRole::GetMemberText(const CVXCSharpOwner& owner)
{
    LM_TRY
    {
        CVXCSharpMemberText text;
        text.Generated = IsGenerated();
        text.ReadSettings(*this);
        if (!text.HasText())
            return text;
        CLmPtr<CVXRole> role = GetRole();
        text.Name = Text(role->GetName());
        text.Type = GetTargetType(owner.ClassName);
        text.InitialValue = Text(GetInitValue());
        text.Documentation = Text(role->GetDocumentation());
        text.UniqueId = Text(role->GetUniqueID());
        if (text.IsProperty)
            text.Visibility = role->GetVisibility();
        text.ReadNames(*this);
        return text;
    }
    LM_END_TRY
}
