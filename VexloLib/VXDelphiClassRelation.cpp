#include "VXDelphiClassRelation.h"

#include "LmTranslate.h"
#include "VXClassRelation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXDelphiClassRelation> CVXDelphiClassRelation::Create(const CLmPtr<CVXClassRelation>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiClassRelation>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXDelphiClassRelation::CVXDelphiClassRelation(const CLmPtr<CLmRefsObject>& relation) : CVXDelphiExtensionElement(relation) {}

CVXDelphiClassRelation::~CVXDelphiClassRelation() = default;

CLmPtr<CVXClassRelation> CVXDelphiClassRelation::GetClassRelation()
{
    LM_TRY
    {
        CLmPtr<CVXClassRelation> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
