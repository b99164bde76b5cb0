#include "VXClassSuppliers.h"

#include "LmTranslate.h"
#include "VXClass.h"
#include "VXClassDependency.h"
#include "VXClassDependencyCollection.h"
#include "VXExtension.h"
#include "VXIdSet.h"
#include "VXInheritRelation.h"
#include "VXInheritRelationCollection.h"
#include "VXModule.h"
#include "VXModuleCollection.h"

#include <string>

using LmLib::CLmPtr;

std::vector<CLmPtr<CVXClass>> CVXClassSuppliers::GetSupplierClasses(const CLmPtr<CVXClass>& cls)
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXClass>> suppliers;
        CLmPtr<CVXInheritRelationCollection> relations = cls->GetInheritRelations();
        for (LONG i = 0, count = relations->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXInheritRelation> relation = relations->GetAt(i);
            CLmPtr<CVXClass> supplier = relation.IsNull() ? CLmPtr<CVXClass>() : relation->GetSupplierClass();
            if (CVXExtension::HasHostObject(supplier))
                suppliers.push_back(supplier);
        }
        CLmPtr<CVXClassDependencyCollection> dependencies = cls->GetClassDependencies();
        for (LONG i = 0, count = dependencies->GetCount(); i < count; ++i)
        {
            CLmPtr<CVXClassDependency> dependency = dependencies->GetAt(i);
            CLmPtr<CVXClass> supplier = dependency.IsNull() ? CLmPtr<CVXClass>() : dependency->GetSupplierClass();
            if (CVXExtension::HasHostObject(supplier))
                suppliers.push_back(supplier);
        }
        return suppliers;
    }
    LM_END_TRY
}

std::vector<CLmPtr<CVXModule>> CVXClassSuppliers::GetSupplierModules(const CLmPtr<CVXClass>& cls)
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXModule>> modules;
        CVXIdSet ids;
        for (const CLmPtr<CVXClass>& supplier : GetSupplierClasses(cls))
        {
            CLmPtr<CVXModuleCollection> assigned = supplier->GetAssignedModules();
            for (LONG i = 0, count = assigned->GetCount(); i < count; ++i)
            {
                CLmPtr<CVXModule> module = assigned->GetAt(i);
                if (!CVXExtension::HasHostObject(module))
                    continue;
                if (ids.Add(CVXExtension::Text(module->GetUniqueID())))
                    modules.push_back(module);
            }
        }
        return modules;
    }
    LM_END_TRY
}
