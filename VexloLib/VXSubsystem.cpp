#include "VXSubsystem.h"
#include "VXCSharpSubsystem.h"
#include "VXDelphiSubsystem.h"
#include "VXExtension.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Subsystem;

CLmPtr<CVXSubsystem> CVXSubsystem::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXSubsystem>(parent, object);
    }
    LM_END_TRY
}

CVXSubsystem::CVXSubsystem(const CVXParentPtr& parent, IDispatch* object) : CVXPackage(parent, object) {}

CVXSubsystem::~CVXSubsystem() = default;

CLmPtr<CVXExtension> CVXSubsystem::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiSubsystem::Create(CLmPtr<CVXSubsystem>(this));
        if (language == L"C#")
            return CVXCSharpSubsystem::Create(CLmPtr<CVXSubsystem>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXSubsystem::GetIRoseSubsystem()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXSubsystem> CVXSubsystem::GetParentSubsystem()
{
    LM_TRY
    {
        return GetIRoseSubsystem().Get<CLmPtr<CVXSubsystem>>(Host::ParentSubsystem);
    }
    LM_END_TRY
}

bool CVXSubsystem::IsRootPackage()
{
    LM_TRY
    {
        return GetIRoseSubsystem().Call<VXHost::Bool>(Host::IsRootPackage).value == VARIANT_TRUE;
    }
    LM_END_TRY
}
