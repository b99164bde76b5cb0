#include "VXModuleVisibilityRelationship.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClass.h"
#include "VXModule.h"
#include "VXSubsystem.h"
#include "VXCSharpModuleVisibilityRelationship.h"
#include "VXDelphiModuleVisibilityRelationship.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::ModuleVisibilityRelationship;

CLmPtr<CVXModuleVisibilityRelationship> CVXModuleVisibilityRelationship::Create(const CVXParentPtr& parent,
                                                                                IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXModuleVisibilityRelationship>(parent, object);
    }
    LM_END_TRY
}

CVXModuleVisibilityRelationship::CVXModuleVisibilityRelationship(const CVXParentPtr& parent, IDispatch* object)
    : CVXRelation(parent, object)
{
}

CVXModuleVisibilityRelationship::~CVXModuleVisibilityRelationship() = default;

CLmPtr<CVXExtension> CVXModuleVisibilityRelationship::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiModuleVisibilityRelationship::Create(CLmPtr<CVXModuleVisibilityRelationship>(this));
        if (language == L"C#")
            return CVXCSharpModuleVisibilityRelationship::Create(CLmPtr<CVXModuleVisibilityRelationship>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXModuleVisibilityRelationship::GetIRoseModuleVisibilityRelationship()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXModuleVisibilityRelationship::GetContextClass()
{
    LM_TRY
    {
        return GetIRoseModuleVisibilityRelationship().Get<CLmPtr<CVXClass>>(Host::ContextClass);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXModuleVisibilityRelationship::GetSupplierClass()
{
    LM_TRY
    {
        return GetIRoseModuleVisibilityRelationship().Get<CLmPtr<CVXClass>>(Host::SupplierClass);
    }
    LM_END_TRY
}

CLmPtr<CVXModule> CVXModuleVisibilityRelationship::GetContextModule()
{
    LM_TRY
    {
        return GetIRoseModuleVisibilityRelationship().Get<CLmPtr<CVXModule>>(Host::ContextModule);
    }
    LM_END_TRY
}

CLmPtr<CVXModule> CVXModuleVisibilityRelationship::GetSupplierModule()
{
    LM_TRY
    {
        // A component wrapper would exist even without an object: test the host's answer.
        CVXDispatchRef module = GetIRoseModuleVisibilityRelationship().Get<CVXDispatchRef>(Host::SupplierModule);
        if (!module)
            return CLmPtr<CVXModule>();
        return CVXModule::Create(CVXParentPtr(), module.Get());
    }
    LM_END_TRY
}

CLmPtr<CVXSubsystem> CVXModuleVisibilityRelationship::GetContextSubsystem()
{
    LM_TRY
    {
        return GetIRoseModuleVisibilityRelationship().Get<CLmPtr<CVXSubsystem>>(Host::ContextSubsystem);
    }
    LM_END_TRY
}

CLmPtr<CVXSubsystem> CVXModuleVisibilityRelationship::GetSupplierSubsystem()
{
    LM_TRY
    {
        return GetIRoseModuleVisibilityRelationship().Get<CLmPtr<CVXSubsystem>>(Host::SupplierSubsystem);
    }
    LM_END_TRY
}
