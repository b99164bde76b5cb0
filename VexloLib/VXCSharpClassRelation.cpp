#include "VXCSharpClassRelation.h"

#include "LmTranslate.h"
#include "VXClassRelation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXCSharpClassRelation> CVXCSharpClassRelation::Create(const CLmPtr<CVXClassRelation>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpClassRelation>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXCSharpClassRelation::CVXCSharpClassRelation(const CLmPtr<CLmRefsObject>& relation) : CVXCSharpExtensionElement(relation) {}

CVXCSharpClassRelation::~CVXCSharpClassRelation() = default;

CLmPtr<CVXClassRelation> CVXCSharpClassRelation::GetClassRelation()
{
    LM_TRY
    {
        CLmPtr<CVXClassRelation> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
