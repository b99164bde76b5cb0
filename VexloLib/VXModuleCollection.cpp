#include "VXModuleCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXModule.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::ModuleCollection;

CLmPtr<CVXModuleCollection> CVXModuleCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXModuleCollection>(parent, object);
    }
    LM_END_TRY
}

CVXModuleCollection::CVXModuleCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXModuleCollection::~CVXModuleCollection() = default;

LONG CVXModuleCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXModuleCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXModule>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
