#include "VXDelphiParameter.h"

#include "LmTranslate.h"
#include "VXParameter.h"

using LmLib::CLmPtr;
using LmLib::Object::CLmRefsObject;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXDelphiParameter> CVXDelphiParameter::Create(const CLmPtr<CVXParameter>& parameter)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXDelphiParameter>(CLmPtr<CLmRefsObject>(parameter));
    }
    LM_END_TRY
}

CVXDelphiParameter::CVXDelphiParameter(const CLmPtr<CLmRefsObject>& parameter) : CVXDelphiExtensionElement(parameter)
{
}

CVXDelphiParameter::~CVXDelphiParameter() = default;

bool CVXDelphiParameter::Initialize(CLmPtr<CLmRefsObject>)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXParameter> CVXDelphiParameter::GetParameter()
{
    LM_TRY
    {
        CLmPtr<CVXParameter> parameter(GetOwner());
        LM_CHECK_POINTER(parameter.GetTyped(), L"parameter");
        return parameter;
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiParameter::GetImplementation(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        std::wstring text;
        AppendImplementation(text, *GetParameter());
        return WholeBstr(text);
    }
    LM_END_TRY
}

void CVXDelphiParameter::AppendImplementation(std::wstring& text, CVXParameter& parameter)
{
    LM_TRY
    {
        AppendText(text, parameter.GetName());
        CLmBSTR type = parameter.GetType();
        if (!type.IsEmpty())
        {
            text += L": ";
            AppendText(text, type);
        }
    }
    LM_END_TRY
}

CLmBSTR CVXDelphiParameter::GetDeclaration(const CLmPtr<CVXPreservedZones>&, long)
{
    LM_TRY
    {
        CLmPtr<CVXParameter> parameter = GetParameter();
        return parameter->GetName() + L": " + parameter->GetType();
    }
    LM_END_TRY
}
