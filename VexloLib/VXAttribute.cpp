#include "VXAttribute.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClass.h"
#include "VXCSharpAttribute.h"
#include "VXDelphiAttribute.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Attribute;

CLmPtr<CVXAttribute> CVXAttribute::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXAttribute>(parent, object);
    }
    LM_END_TRY
}

CVXAttribute::CVXAttribute(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXAttribute::~CVXAttribute() = default;

CLmPtr<CVXExtension> CVXAttribute::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiAttribute::Create(CLmPtr<CVXAttribute>(this));
        if (language == L"C#")
            return CVXCSharpAttribute::Create(CLmPtr<CVXAttribute>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXAttribute::GetIRoseAttribute()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

LONG CVXAttribute::GetVisibility()
{
    LM_TRY
    {
        return CVXRichType::VisibilityOf(GetExportControl());
    }
    LM_END_TRY
}

CLmPtr<CVXRichType> CVXAttribute::GetExportControl()
{
    LM_TRY
    {
        return GetIRoseAttribute().Get<CLmPtr<CVXRichType>>(Host::ExportControl);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXAttribute::GetParentClass()
{
    LM_TRY
    {
        return GetIRoseAttribute().Get<CLmPtr<CVXClass>>(Host::ParentClass);
    }
    LM_END_TRY
}

CLmBSTR CVXAttribute::GetType()
{
    LM_TRY
    {
        return GetIRoseAttribute().Get<CLmBSTR>(Host::Type);
    }
    LM_END_TRY
}

void CVXAttribute::SetType(const CLmBSTR& type)
{
    LM_TRY
    {
        GetIRoseAttribute().Put(Host::Type, type);
    }
    LM_END_TRY
}

CLmBSTR CVXAttribute::GetInitValue()
{
    LM_TRY
    {
        return GetIRoseAttribute().Get<CLmBSTR>(Host::InitValue);
    }
    LM_END_TRY
}
