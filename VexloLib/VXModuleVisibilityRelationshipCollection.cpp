#include "VXModuleVisibilityRelationshipCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXModuleVisibilityRelationship.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::ModuleVisibilityRelationshipCollection;

CLmPtr<CVXModuleVisibilityRelationshipCollection> CVXModuleVisibilityRelationshipCollection::Create(
    const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXModuleVisibilityRelationshipCollection>(parent, object);
    }
    LM_END_TRY
}

CVXModuleVisibilityRelationshipCollection::CVXModuleVisibilityRelationshipCollection(const CVXParentPtr& parent,
                                                                                     IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXModuleVisibilityRelationshipCollection::~CVXModuleVisibilityRelationshipCollection() = default;

LONG CVXModuleVisibilityRelationshipCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXModuleVisibilityRelationshipCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXModuleVisibilityRelationship>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
