#include "VXOperation.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClass.h"
#include "VXParameterCollection.h"
#include "VXCSharpOperation.h"
#include "VXDelphiOperation.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Operation;

CLmPtr<CVXOperation> CVXOperation::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXOperation>(parent, object);
    }
    LM_END_TRY
}

CVXOperation::CVXOperation(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXOperation::~CVXOperation() = default;

CLmPtr<CVXExtension> CVXOperation::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiOperation::Create(CLmPtr<CVXOperation>(this));
        if (language == L"C#")
            return CVXCSharpOperation::Create(CLmPtr<CVXOperation>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CLmPtr<CVXParameterCollection> CVXOperation::GetParameters()
{
    LM_TRY
    {
        return GetIRoseOperation().Get<CLmPtr<CVXParameterCollection>>(Host::Parameters);
    }
    LM_END_TRY
}

CVXHostInterface CVXOperation::GetIRoseOperation()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmBSTR CVXOperation::GetAssignedLanguage()
{
    LM_TRY
    {
        return GetParentClass()->GetAssignedLanguage();
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXOperation::GetParentClass()
{
    LM_TRY
    {
        return GetIRoseOperation().Get<CLmPtr<CVXClass>>(Host::ParentClass);
    }
    LM_END_TRY
}

CLmPtr<CVXRichType> CVXOperation::GetExportControl()
{
    LM_TRY
    {
        return GetIRoseOperation().Get<CLmPtr<CVXRichType>>(Host::ExportControl);
    }
    LM_END_TRY
}

LONG CVXOperation::GetVisibility()
{
    LM_TRY
    {
        return CVXRichType::VisibilityOf(GetExportControl());
    }
    LM_END_TRY
}

CLmBSTR CVXOperation::GetReturnType()
{
    LM_TRY
    {
        return GetIRoseOperation().Get<CLmBSTR>(Host::ReturnType);
    }
    LM_END_TRY
}

void CVXOperation::SetReturnType(const CLmBSTR& type)
{
    LM_TRY
    {
        GetIRoseOperation().Put(Host::ReturnType, type);
    }
    LM_END_TRY
}
