#include "VXInheritRelationCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXInheritRelation.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::InheritRelationCollection;

CLmPtr<CVXInheritRelationCollection> CVXInheritRelationCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXInheritRelationCollection>(parent, object);
    }
    LM_END_TRY
}

CVXInheritRelationCollection::CVXInheritRelationCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXInheritRelationCollection::~CVXInheritRelationCollection() = default;

LONG CVXInheritRelationCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXInheritRelationCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXInheritRelation>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
