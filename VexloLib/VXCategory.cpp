#include "VXCategory.h"
#include "VXCSharpCategory.h"
#include "VXDelphiCategory.h"
#include "VXExtension.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Category;

CLmPtr<CVXCategory> CVXCategory::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCategory>(parent, object);
    }
    LM_END_TRY
}

CVXCategory::CVXCategory(const CVXParentPtr& parent, IDispatch* object) : CVXPackage(parent, object) {}

CVXCategory::~CVXCategory() = default;

CLmPtr<CVXExtension> CVXCategory::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiCategory::Create(CLmPtr<CVXCategory>(this));
        if (language == L"C#")
            return CVXCSharpCategory::Create(CLmPtr<CVXCategory>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXCategory::GetIRoseCategory()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXCategory> CVXCategory::GetParentCategory()
{
    LM_TRY
    {
        return GetIRoseCategory().Get<CLmPtr<CVXCategory>>(Host::ParentCategory);
    }
    LM_END_TRY
}

bool CVXCategory::IsRootPackage()
{
    LM_TRY
    {
        return GetIRoseCategory().Call<VXHost::Bool>(Host::IsRootPackage).value == VARIANT_TRUE;
    }
    LM_END_TRY
}
