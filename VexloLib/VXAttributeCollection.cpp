#include "VXAttributeCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAttribute.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::AttributeCollection;

CLmPtr<CVXAttributeCollection> CVXAttributeCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXAttributeCollection>(parent, object);
    }
    LM_END_TRY
}

CVXAttributeCollection::CVXAttributeCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXAttributeCollection::~CVXAttributeCollection() = default;

LONG CVXAttributeCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXAttributeCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXAttribute>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
