#include "VXRole.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAssociation.h"
#include "VXClass.h"
#include "VXCSharpRole.h"
#include "VXDelphiRole.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
using VXHost::Bool;
namespace Host = RoseHost::Disp::Role;

CLmPtr<CVXRole> CVXRole::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXRole>(parent, object);
    }
    LM_END_TRY
}

CVXRole::CVXRole(const CVXParentPtr& parent, IDispatch* object) : CVXRelation(parent, object) {}

CVXRole::~CVXRole() = default;

CLmPtr<CVXExtension> CVXRole::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiRole::Create(CLmPtr<CVXRole>(this));
        if (language == L"C#")
            return CVXCSharpRole::Create(CLmPtr<CVXRole>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXRole::GetSupplier()
{
    LM_TRY
    {
        return GetIRoseRole().Call<CLmPtr<CVXClass>>(Host::GetSupplier);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXRole::GetContext()
{
    LM_TRY
    {
        return GetIRoseRole().Call<CLmPtr<CVXClass>>(Host::GetContext);
    }
    LM_END_TRY
}

CVXHostInterface CVXRole::GetIRoseRole()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmBSTR CVXRole::GetCardinality()
{
    LM_TRY
    {
        return GetIRoseRole().Get<CLmBSTR>(Host::Cardinality);
    }
    LM_END_TRY
}

CLmBSTR CVXRole::GetConstraints()
{
    LM_TRY
    {
        return GetIRoseRole().Get<CLmBSTR>(Host::Constraints);
    }
    LM_END_TRY
}

bool CVXRole::IsAggregate()
{
    LM_TRY
    {
        return GetIRoseRole().Get<Bool>(Host::Aggregate).value != 0;
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXRole::GetClass()
{
    LM_TRY
    {
        return GetIRoseRole().Get<CLmPtr<CVXClass>>(Host::Class);
    }
    LM_END_TRY
}

bool CVXRole::IsFriend()
{
    LM_TRY
    {
        return GetIRoseRole().Get<Bool>(Host::Friend).value != 0;
    }
    LM_END_TRY
}

bool CVXRole::IsNavigable()
{
    LM_TRY
    {
        return GetIRoseRole().Get<Bool>(Host::Navigable).value != 0;
    }
    LM_END_TRY
}

CLmPtr<CVXRichType> CVXRole::GetContainment()
{
    LM_TRY
    {
        return GetIRoseRole().Get<CLmPtr<CVXRichType>>(Host::Containment);
    }
    LM_END_TRY
}

CLmPtr<CVXRichType> CVXRole::GetExportControl()
{
    LM_TRY
    {
        return GetIRoseRole().Get<CLmPtr<CVXRichType>>(Host::ExportControl);
    }
    LM_END_TRY
}

CLmPtr<CVXAssociation> CVXRole::GetAssociation()
{
    LM_TRY
    {
        return GetIRoseRole().Get<CLmPtr<CVXAssociation>>(Host::Association);
    }
    LM_END_TRY
}

LONG CVXRole::GetVisibility()
{
    LM_TRY
    {
        return CVXRichType::VisibilityOf(GetExportControl());
    }
    LM_END_TRY
}
