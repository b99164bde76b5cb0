#include "VXCSharpModuleVisibilityRelationship.h"

#include "LmTranslate.h"
#include "VXModuleVisibilityRelationship.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXCSharpModuleVisibilityRelationship> CVXCSharpModuleVisibilityRelationship::Create(const CLmPtr<CVXModuleVisibilityRelationship>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpModuleVisibilityRelationship>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXCSharpModuleVisibilityRelationship::CVXCSharpModuleVisibilityRelationship(const CLmPtr<CLmRefsObject>& relation) : CVXCSharpExtensionElement(relation) {}

CVXCSharpModuleVisibilityRelationship::~CVXCSharpModuleVisibilityRelationship() = default;

CLmPtr<CVXModuleVisibilityRelationship> CVXCSharpModuleVisibilityRelationship::GetModuleVisibilityRelationship()
{
    LM_TRY
    {
        CLmPtr<CVXModuleVisibilityRelationship> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
