#include "VXClass.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAttributeCollection.h"
#include "VXCategory.h"
#include "VXClassDependency.h"
#include "VXClassDependencyCollection.h"
#include "VXHasRelationshipCollection.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModule.h"
#include "VXModuleCollection.h"
#include "VXOperationCollection.h"
#include "VXParameterCollection.h"
#include "VXRoleCollection.h"
#include "VXCSharpClass.h"
#include "VXDelphiClass.h"
#include "VXExtension.h"

#include <vxplat/User.h>

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Class;

CLmPtr<CVXClass> CVXClass::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXClass>(parent, object);
    }
    LM_END_TRY
}

CVXClass::CVXClass(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXClass::~CVXClass() = default;

bool CVXClass::Initialize(CVXParentPtr)
{
    LM_TRY
    {
        return true;
    }
    LM_END_TRY
}

CLmPtr<CVXExtension> CVXClass::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiClass::Create(CLmPtr<CVXClass>(this));
        if (language == L"C#")
            return CVXCSharpClass::Create(CLmPtr<CVXClass>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

void CVXClass::DoGenerate(const CLmBSTR& language)
{
    LM_TRY
    {
        CLmPtr<CVXModuleCollection> modules = GetAssignedModules();
        for (LONG i = 0, count = modules->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXModule> module = modules->GetAt(i);
            module->Generate(language);
        }
    }
    LM_END_TRY
}

CLmPtr<CVXModuleCollection> CVXClass::GetAssignedModules()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmPtr<CVXModuleCollection>>(Host::GetAssignedModules);
    }
    LM_END_TRY
}

CLmPtr<CVXOperationCollection> CVXClass::GetOperations()
{
    LM_TRY
    {
        return GetIRoseClass().Get<CLmPtr<CVXOperationCollection>>(Host::Operations);
    }
    LM_END_TRY
}

CLmPtr<CVXParameterCollection> CVXClass::GetParameters()
{
    LM_TRY
    {
        return GetIRoseClass().Get<CLmPtr<CVXParameterCollection>>(Host::Parameters);
    }
    LM_END_TRY
}

CLmPtr<CVXAttributeCollection> CVXClass::GetAttributes()
{
    LM_TRY
    {
        return GetIRoseClass().Get<CLmPtr<CVXAttributeCollection>>(Host::Attributes);
    }
    LM_END_TRY
}

CLmPtr<CVXInheritRelationCollection> CVXClass::GetInheritRelations()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmPtr<CVXInheritRelationCollection>>(Host::GetInheritRelations);
    }
    LM_END_TRY
}

CLmPtr<CVXClassDependencyCollection> CVXClass::GetClassDependencies()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmPtr<CVXClassDependencyCollection>>(Host::GetClassDependencies);
    }
    LM_END_TRY
}

bool CVXClass::InheritsFrom(const CLmPtr<CVXClass>& other, LONG& counter)
{
    LM_TRY
    {
        CLmBSTR otherId = other->GetUniqueID();
        CLmPtr<CVXInheritRelationCollection> relations = GetInheritRelations();
        for (LONG i = 0, count = relations->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXInheritRelation> relation = relations->GetAt(i);
            CLmPtr<CVXClass> supplier = relation->GetSupplierClass();
            if (supplier->GetUniqueID() == otherId)
                return true;
            // A step past the limit is not taken: a cycle of inherit relations in the
            // model ends there instead of recursing without end.
            ++counter;
            bool inherits = counter <= MaxRelationSteps && supplier->InheritsFrom(other, counter);
            if (counter > MaxRelationSteps)
                return inherits;
            if (inherits)
                return true;
        }
        return false;
    }
    LM_END_TRY
}

bool CVXClass::InheritsFrom(const CLmPtr<CVXClass>& other)
{
    LM_TRY
    {
        LONG counter = 0;
        return InheritsFrom(other, counter);
    }
    LM_END_TRY
}

bool CVXClass::DependsOn(const CLmPtr<CVXClass>& other, LONG& counter)
{
    LM_TRY
    {
        CLmBSTR otherId = other->GetUniqueID();
        CLmPtr<CVXClassDependencyCollection> dependencies = GetClassDependencies();
        for (LONG i = 0, count = dependencies->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXClassDependency> dependency = dependencies->GetAt(i);
            CLmPtr<CVXClass> supplier = dependency->GetSupplierClass();
            if (supplier->GetUniqueID() == otherId)
                return true;
            if (++counter > MaxRelationSteps)
            {
                CLmBSTR name = GetName();
                CLmBSTR otherName = other->GetName();
                CLmBSTR text =
                    CLmBSTR::FormatString(L"%s - %s recursive dependency !!!", name.GetBSTR() ? name.GetBSTR() : L"",
                                          otherName.GetBSTR() ? otherName.GetBSTR() : L"");
                MessageBoxW(nullptr, text.GetBSTR(), L"Recursive", MB_OK);
                return false;
            }
            if (supplier->DependsOn(other, counter))
                return true;
        }
        return false;
    }
    LM_END_TRY
}

bool CVXClass::DependsOn(const CLmPtr<CVXClass>& other)
{
    LM_TRY
    {
        LONG counter = 0;
        return DependsOn(other, counter);
    }
    LM_END_TRY
}

bool CVXClass::IsInheritedBy(const CLmPtr<CVXClass>& other)
{
    LM_TRY
    {
        return other->InheritsFrom(CLmPtr<CVXClass>(this));
    }
    LM_END_TRY
}

bool CVXClass::IsDependedOnBy(const CLmPtr<CVXClass>& other)
{
    LM_TRY
    {
        return other->DependsOn(CLmPtr<CVXClass>(this));
    }
    LM_END_TRY
}

CLmPtr<CVXHasRelationshipCollection> CVXClass::GetHasRelations()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmPtr<CVXHasRelationshipCollection>>(Host::GetHasRelations);
    }
    LM_END_TRY
}

CLmPtr<CVXRoleCollection> CVXClass::GetRoles()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmPtr<CVXRoleCollection>>(Host::GetRoles);
    }
    LM_END_TRY
}

CLmPtr<CVXRoleCollection> CVXClass::GetAssociateRoles()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmPtr<CVXRoleCollection>>(Host::GetAssociateRoles);
    }
    LM_END_TRY
}

CVXHostInterface CVXClass::GetIRoseClass()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmBSTR CVXClass::GetAssignedLanguage()
{
    LM_TRY
    {
        return GetIRoseClass().Call<CLmBSTR>(Host::GetAssignedLanguage);
    }
    LM_END_TRY
}

CLmPtr<CVXCategory> CVXClass::GetParentCategory()
{
    LM_TRY
    {
        return GetIRoseClass().Get<CLmPtr<CVXCategory>>(Host::ParentCategory);
    }
    LM_END_TRY
}

bool CVXClass::HasInheritRelations()
{
    LM_TRY
    {
        return GetInheritRelations()->GetCount() > 0;
    }
    LM_END_TRY
}
