#include "VXCSharpParameter.h"

#include "LmTranslate.h"
#include "VXParameter.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXCSharpParameter> CVXCSharpParameter::Create(const CLmPtr<CVXParameter>& parameter)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXCSharpParameter>(CLmPtr<CLmRefsObject>(parameter));
    }
    LM_END_TRY
}

CVXCSharpParameter::CVXCSharpParameter(const CLmPtr<CLmRefsObject>& parameter) : CVXCSharpExtensionElement(parameter)
{
}

CVXCSharpParameter::~CVXCSharpParameter() = default;

bool CVXCSharpParameter::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXParameter> CVXCSharpParameter::GetParameter()
{
    LM_TRY
    {
        CLmPtr<CVXParameter> parameter(GetOwner());
        LM_CHECK_POINTER(parameter.GetTyped(), L"parameter");
        return parameter;
    }
    LM_END_TRY
}

CLmBSTR CVXCSharpParameter::GetDeclaration(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        std::wstring text;
        AppendDeclaration(text, *GetParameter());
        return WholeBstr(text);
    }
    LM_END_TRY
}

void CVXCSharpParameter::AppendDeclaration(std::wstring& text, CVXParameter& parameter)
{
    LM_TRY
    {
        AppendText(text, parameter.GetType());
        text += L" ";
        AppendText(text, parameter.GetName());
    }
    LM_END_TRY
}
