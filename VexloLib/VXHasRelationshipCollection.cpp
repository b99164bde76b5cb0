#include "VXHasRelationshipCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXHasRelationship.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::HasRelationshipCollection;

CLmPtr<CVXHasRelationshipCollection> CVXHasRelationshipCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXHasRelationshipCollection>(parent, object);
    }
    LM_END_TRY
}

CVXHasRelationshipCollection::CVXHasRelationshipCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXHasRelationshipCollection::~CVXHasRelationshipCollection() = default;

LONG CVXHasRelationshipCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXHasRelationshipCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXHasRelationship>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
