#include "VXCSharpInheritRelation.h"

#include "LmTranslate.h"
#include "VXInheritRelation.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXCSharpInheritRelation> CVXCSharpInheritRelation::Create(const CLmPtr<CVXInheritRelation>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpInheritRelation>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXCSharpInheritRelation::CVXCSharpInheritRelation(const CLmPtr<CLmRefsObject>& relation) : CVXCSharpClassRelation(relation) {}

CVXCSharpInheritRelation::~CVXCSharpInheritRelation() = default;

CLmPtr<CVXInheritRelation> CVXCSharpInheritRelation::GetInheritRelation()
{
    LM_TRY
    {
        CLmPtr<CVXInheritRelation> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
