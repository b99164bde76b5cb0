#include "VXCSharpAssociation.h"

#include "LmTranslate.h"
#include "VXAssociation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXCSharpAssociation> CVXCSharpAssociation::Create(const CLmPtr<CVXAssociation>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpAssociation>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXCSharpAssociation::CVXCSharpAssociation(const CLmPtr<CLmRefsObject>& relation) : CVXCSharpExtensionElement(relation) {}

CVXCSharpAssociation::~CVXCSharpAssociation() = default;

CLmPtr<CVXAssociation> CVXCSharpAssociation::GetAssociation()
{
    LM_TRY
    {
        CLmPtr<CVXAssociation> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
