#include "VXClassOrder.h"

#include "LmTranslate.h"
#include "VXClass.h"
#include "VXClassCollection.h"
#include "VXModule.h"

#include <utility>

using LmLib::CLmPtr;

std::vector<CLmPtr<CVXClass>> CVXClassOrder::GetOrderedClasses(const CLmPtr<CVXModule>& module)
{
    LM_TRY
    {
        std::vector<CLmPtr<CVXClass>> classes;
        CLmPtr<CVXClassCollection> assigned = module->GetAssignedClasses();
        for (LONG i = 0; i < assigned->GetCount(); ++i)
        {
            CLmPtr<CVXClass> cls = assigned->GetAt(i);
            if (!cls.IsNull())
                classes.push_back(cls);
        }
        // Not a topological sort: each pair is compared once, on the list as earlier
        // exchanges left it.
        for (size_t i = 0; i + 1 < classes.size(); ++i)
            for (size_t j = i + 1; j < classes.size(); ++j)
                if (classes[i]->InheritsFrom(classes[j]) || classes[i]->DependsOn(classes[j]))
                    std::swap(classes[i], classes[j]);
        return classes;
    }
    LM_END_TRY
}
