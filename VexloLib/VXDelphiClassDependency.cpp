#include "VXDelphiClassDependency.h"

#include "LmTranslate.h"
#include "VXClassDependency.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXDelphiClassDependency> CVXDelphiClassDependency::Create(const CLmPtr<CVXClassDependency>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiClassDependency>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXDelphiClassDependency::CVXDelphiClassDependency(const CLmPtr<CLmRefsObject>& relation) : CVXDelphiExtensionElement(relation) {}

CVXDelphiClassDependency::~CVXDelphiClassDependency() = default;

CLmPtr<CVXClassDependency> CVXDelphiClassDependency::GetClassDependency()
{
    LM_TRY
    {
        CLmPtr<CVXClassDependency> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
