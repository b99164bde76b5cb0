#include "VXModule.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClassCollection.h"
#include "VXModuleVisibilityRelationshipCollection.h"
#include "VXSubsystem.h"
#include "VXCSharpModule.h"
#include "VXDelphiModule.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Module;

CLmPtr<CVXModule> CVXModule::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXModule>(parent, object);
    }
    LM_END_TRY
}

CVXModule::CVXModule(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXModule::~CVXModule() = default;

bool CVXModule::Initialize(CVXParentPtr)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXExtension> CVXModule::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiModule::Create(CLmPtr<CVXModule>(this));
        if (language == L"C#")
            return CVXCSharpModule::Create(CLmPtr<CVXModule>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CLmPtr<CVXClassCollection> CVXModule::GetAssignedClasses()
{
    LM_TRY
    {
        return GetIRoseModule().Call<CLmPtr<CVXClassCollection>>(Host::GetAssignedClasses);
    }
    LM_END_TRY
}

CLmPtr<CVXModuleVisibilityRelationshipCollection> CVXModule::GetDependencies()
{
    LM_TRY
    {
        return GetIRoseModule().Call<CLmPtr<CVXModuleVisibilityRelationshipCollection>>(Host::GetDependencies);
    }
    LM_END_TRY
}

CLmBSTR CVXModule::GetAssignedLanguage()
{
    LM_TRY
    {
        return GetIRoseModule().Get<CLmBSTR>(Host::AssignedLanguage);
    }
    LM_END_TRY
}

void CVXModule::SetAssignedLanguage(const CLmBSTR& language)
{
    LM_TRY
    {
        GetIRoseModule().Put(Host::AssignedLanguage, language);
    }
    LM_END_TRY
}

CVXHostInterface CVXModule::GetIRoseModule()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXSubsystem> CVXModule::GetParentSubsystem()
{
    LM_TRY
    {
        return GetIRoseModule().Get<CLmPtr<CVXSubsystem>>(Host::ParentSubsystem);
    }
    LM_END_TRY
}
