#include "VXCSharpCategory.h"

#include "LmTranslate.h"
#include "VXCategory.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpCategory> CVXCSharpCategory::Create(const CLmPtr<CVXCategory>& category)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpCategory>(CLmPtr<CLmRefsObject>(category));
    }
    LM_END_TRY
}

CVXCSharpCategory::CVXCSharpCategory(const CLmPtr<CLmRefsObject>& category) : CVXCSharpExtension(category) {}

CVXCSharpCategory::~CVXCSharpCategory() = default;

CLmPtr<CVXCategory> CVXCSharpCategory::GetCategory()
{
    LM_TRY
    {
        CLmPtr<CVXCategory> category(GetOwner());
        LM_CHECK_POINTER(category.GetTyped(), L"category");
        return category;
    }
    LM_END_TRY
}

bool CVXCSharpCategory::IsNamespace(CVXCategory& category)
{
    LM_TRY
    {
        return IsTrue(GetToolProperty(category, ToolName, L"IsNamespace"));
    }
    LM_END_TRY
}

bool CVXCSharpCategory::IsNamespace()
{
    LM_TRY
    {
        return IsNamespace(*GetCategory());
    }
    LM_END_TRY
}

std::wstring CVXCSharpCategory::GetNamespace(const CLmPtr<CVXCategory>& category)
{
    LM_TRY
    {
        // Walked from the package up; each namespace goes in front of the path so far.
        std::wstring path;
        for (CLmPtr<CVXCategory> level = category; !level.IsNull(); level = level->GetParentCategory())
        {
            if (!IsNamespace(*level))
                continue;
            std::wstring name = Text(level->GetName());
            path = path.empty() ? name : name + L"." + path;
        }
        return path;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpCategory::GetNamespace()
{
    LM_TRY
    {
        return Bstr(GetNamespace(GetCategory()));
    }
    LM_END_TRY
}
