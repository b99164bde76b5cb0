#include "VXDelphiModuleVisibilityRelationship.h"

#include "LmTranslate.h"
#include "VXModuleVisibilityRelationship.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXDelphiModuleVisibilityRelationship> CVXDelphiModuleVisibilityRelationship::Create(const CLmPtr<CVXModuleVisibilityRelationship>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiModuleVisibilityRelationship>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXDelphiModuleVisibilityRelationship::CVXDelphiModuleVisibilityRelationship(const CLmPtr<CLmRefsObject>& relation) : CVXDelphiExtensionElement(relation) {}

CVXDelphiModuleVisibilityRelationship::~CVXDelphiModuleVisibilityRelationship() = default;

CLmPtr<CVXModuleVisibilityRelationship> CVXDelphiModuleVisibilityRelationship::GetModuleVisibilityRelationship()
{
    LM_TRY
    {
        CLmPtr<CVXModuleVisibilityRelationship> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
