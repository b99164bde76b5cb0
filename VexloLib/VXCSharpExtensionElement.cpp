#include "VXCSharpExtensionElement.h"

#include "LmTranslate.h"
#include "VXCSharpModel.h"
#include "VXElement.h"
#include "VXModel.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXCSharpExtensionElement::CVXCSharpExtensionElement(const CLmPtr<CLmRefsObject>& element)
    : CVXCSharpExtension(element)
{
}

CVXCSharpExtensionElement::~CVXCSharpExtensionElement() = default;

CLmPtr<CVXCSharpModel> CVXCSharpExtensionElement::GetModel()
{
    LM_TRY
    {
        CLmPtr<CVXModel> model = GetElement()->GetModel();
        if (model.IsNull())
            return CLmPtr<CVXCSharpModel>();
        return CLmPtr<CVXCSharpModel>(model->GetExtension(CLmBSTR(ToolName)));
    }
    LM_END_TRY
}

CLmPtr<CVXElement> CVXCSharpExtensionElement::GetElement()
{
    LM_TRY
    {
        CLmPtr<CVXElement> element(GetOwner());
        LM_CHECK_POINTER(element.GetTyped(), L"element");
        return element;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpExtensionElement::GetProperty(const wchar_t* name)
{
    LM_TRY
    {
        return CVXToolProperties(GetElement(), ToolName).Value(name);
    }
    LM_END_TRY
}

CVXToolProperties CVXCSharpExtensionElement::Properties()
{
    LM_TRY
    {
        return CVXToolProperties(GetElement(), ToolName);
    }
    LM_END_TRY
}

bool CVXCSharpExtensionElement::IsPropertyTrue(const wchar_t* name)
{
    LM_TRY
    {
        return IsTrue(GetProperty(name));
    }
    LM_END_TRY
}

std::wstring CVXCSharpExtensionElement::GetPropertyLower(const wchar_t* name)
{
    LM_TRY
    {
        return Lower(GetProperty(name));
    }
    LM_END_TRY
}
