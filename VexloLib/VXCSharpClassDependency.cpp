#include "VXCSharpClassDependency.h"

#include "LmTranslate.h"
#include "VXClassDependency.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXCSharpClassDependency> CVXCSharpClassDependency::Create(const CLmPtr<CVXClassDependency>& relation)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpClassDependency>(CLmPtr<CLmRefsObject>(relation));
    }
    LM_END_TRY
}

CVXCSharpClassDependency::CVXCSharpClassDependency(const CLmPtr<CLmRefsObject>& relation) : CVXCSharpClassRelation(relation) {}

CVXCSharpClassDependency::~CVXCSharpClassDependency() = default;

CLmPtr<CVXClassDependency> CVXCSharpClassDependency::GetClassDependency()
{
    LM_TRY
    {
        CLmPtr<CVXClassDependency> relation(GetOwner());
        LM_CHECK_POINTER(relation.GetTyped(), L"relation");
        return relation;
    }
    LM_END_TRY
}
