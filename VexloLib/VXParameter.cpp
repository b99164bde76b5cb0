#include "VXParameter.h"
#include "VXCSharpParameter.h"
#include "VXDelphiParameter.h"
#include "VXExtension.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Parameter;

CLmPtr<CVXParameter> CVXParameter::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXParameter>(parent, object);
    }
    LM_END_TRY
}

CVXParameter::CVXParameter(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXParameter::~CVXParameter() = default;

CLmPtr<CVXExtension> CVXParameter::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiParameter::Create(CLmPtr<CVXParameter>(this));
        if (language == L"C#")
            return CVXCSharpParameter::Create(CLmPtr<CVXParameter>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXParameter::GetIRoseParameter()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmBSTR CVXParameter::GetAssignedLanguage()
{
    LM_TRY
    {
        return CLmBSTR(L"Delphi");
    }
    LM_END_TRY
}

CLmBSTR CVXParameter::GetType()
{
    LM_TRY
    {
        return GetIRoseParameter().Get<CLmBSTR>(Host::Type);
    }
    LM_END_TRY
}

void CVXParameter::SetType(const CLmBSTR& type)
{
    LM_TRY
    {
        GetIRoseParameter().Put(Host::Type, type);
    }
    LM_END_TRY
}

CLmBSTR CVXParameter::GetInitValue()
{
    LM_TRY
    {
        return GetIRoseParameter().Get<CLmBSTR>(Host::InitValue);
    }
    LM_END_TRY
}

void CVXParameter::SetInitValue(const CLmBSTR& value)
{
    LM_TRY
    {
        GetIRoseParameter().Put(Host::InitValue, value);
    }
    LM_END_TRY
}
