#include "VXDelphiCategory.h"

#include "LmTranslate.h"
#include "VXCategory.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;

CLmPtr<CVXDelphiCategory> CVXDelphiCategory::Create(const CLmPtr<CVXCategory>& category)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiCategory>(CLmPtr<CLmRefsObject>(category));
    }
    LM_END_TRY
}

CVXDelphiCategory::CVXDelphiCategory(const CLmPtr<CLmRefsObject>& category) : CVXDelphiExtension(category) {}

CVXDelphiCategory::~CVXDelphiCategory() = default;

CLmPtr<CVXCategory> CVXDelphiCategory::GetCategory()
{
    LM_TRY
    {
        CLmPtr<CVXCategory> category(GetOwner());
        LM_CHECK_POINTER(category.GetTyped(), L"category");
        return category;
    }
    LM_END_TRY
}
