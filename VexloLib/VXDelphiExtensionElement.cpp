#include "VXDelphiExtensionElement.h"

#include "LmTranslate.h"
#include "VXDelphiModel.h"
#include "VXElement.h"
#include "VXModel.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CVXDelphiExtensionElement::CVXDelphiExtensionElement(const CLmPtr<CLmRefsObject>& element)
    : CVXDelphiExtension(element)
{
}

CVXDelphiExtensionElement::~CVXDelphiExtensionElement() = default;

CLmPtr<CVXDelphiModel> CVXDelphiExtensionElement::GetModel()
{
    LM_TRY
    {
        CLmPtr<CVXModel> model = GetElement()->GetModel();
        if (model.IsNull())
            return CLmPtr<CVXDelphiModel>();
        return CLmPtr<CVXDelphiModel>(model->GetExtension(CLmBSTR(ToolName)));
    }
    LM_END_TRY
}

CLmPtr<CVXElement> CVXDelphiExtensionElement::GetElement()
{
    LM_TRY
    {
        CLmPtr<CVXElement> element(GetOwner());
        LM_CHECK_POINTER(element.GetTyped(), L"element");
        return element;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiExtensionElement::GetProperty(const wchar_t* name)
{
    LM_TRY
    {
        return CVXToolProperties(GetElement(), ToolName).Value(name);
    }
    LM_END_TRY
}

CVXToolProperties CVXDelphiExtensionElement::Properties()
{
    LM_TRY
    {
        return CVXToolProperties(GetElement(), ToolName);
    }
    LM_END_TRY
}

bool CVXDelphiExtensionElement::IsPropertyTrue(const wchar_t* name)
{
    LM_TRY
    {
        return IsTrue(GetProperty(name));
    }
    LM_END_TRY
}

std::wstring CVXDelphiExtensionElement::GetPropertyLower(const wchar_t* name)
{
    LM_TRY
    {
        return Lower(GetProperty(name));
    }
    LM_END_TRY
}
