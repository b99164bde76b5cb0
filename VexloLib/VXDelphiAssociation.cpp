#include "VXDelphiAssociation.h"

#include "LmTranslate.h"
#include "VXAssociation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXDelphiAssociation> CVXDelphiAssociation::Create(const CLmPtr<CVXAssociation>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiAssociation>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXDelphiAssociation::CVXDelphiAssociation(const CLmPtr<CLmRefsObject>& relation) : CVXDelphiExtensionElement(relation) {}

CVXDelphiAssociation::~CVXDelphiAssociation() = default;

CLmPtr<CVXAssociation> CVXDelphiAssociation::GetAssociation()
{
    LM_TRY
    {
        CLmPtr<CVXAssociation> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
