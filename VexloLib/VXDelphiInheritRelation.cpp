#include "VXDelphiInheritRelation.h"

#include "LmTranslate.h"
#include "VXInheritRelation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXDelphiInheritRelation> CVXDelphiInheritRelation::Create(const CLmPtr<CVXInheritRelation>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiInheritRelation>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXDelphiInheritRelation::CVXDelphiInheritRelation(const CLmPtr<CLmRefsObject>& relation) : CVXDelphiExtensionElement(relation) {}

CVXDelphiInheritRelation::~CVXDelphiInheritRelation() = default;

CLmPtr<CVXInheritRelation> CVXDelphiInheritRelation::GetInheritRelation()
{
    LM_TRY
    {
        CLmPtr<CVXInheritRelation> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
