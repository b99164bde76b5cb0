#include "VXDelphiHasRelationship.h"

#include "LmTranslate.h"
#include "VXHasRelationship.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiHasRelationship> CVXDelphiHasRelationship::Create(const CLmPtr<CVXHasRelationship>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiHasRelationship>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXDelphiHasRelationship::CVXDelphiHasRelationship(const CLmPtr<CLmRefsObject>& relation) : CVXDelphiExtensionElement(relation) {}

CVXDelphiHasRelationship::~CVXDelphiHasRelationship() = default;

CLmPtr<CVXHasRelationship> CVXDelphiHasRelationship::GetHasRelationship()
{
    LM_TRY
    {
        CLmPtr<CVXHasRelationship> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}

bool CVXDelphiHasRelationship::IsHasRelationship()
{
    return true;
}

CLmBSTR CVXDelphiHasRelationship::GetInitialValue()
{
    LM_TRY
    {
        return GetProperty(L"InitialValue");
    }
    LM_END_TRY
}
