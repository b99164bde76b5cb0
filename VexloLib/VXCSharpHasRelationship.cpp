#include "VXCSharpHasRelationship.h"

#include "LmTranslate.h"
#include "VXHasRelationship.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpHasRelationship> CVXCSharpHasRelationship::Create(const CLmPtr<CVXHasRelationship>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpHasRelationship>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXCSharpHasRelationship::CVXCSharpHasRelationship(const CLmPtr<CLmRefsObject>& relation) : CVXCSharpClassRelation(relation) {}

CVXCSharpHasRelationship::~CVXCSharpHasRelationship() = default;

CLmPtr<CVXHasRelationship> CVXCSharpHasRelationship::GetHasRelationship()
{
    LM_TRY
    {
        CLmPtr<CVXHasRelationship> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}

bool CVXCSharpHasRelationship::IsHasRelationship()
{
    return true;
}

CLmBSTR CVXCSharpHasRelationship::GetInitialValue()
{
    LM_TRY
    {
        return GetProperty(L"InitialValue");
    }
    LM_END_TRY
}
