#include "VXPropertyCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::PropertyCollection;

CLmPtr<CVXPropertyCollection> CVXPropertyCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXPropertyCollection>(parent, object);
    }
    LM_END_TRY
}

CVXPropertyCollection::CVXPropertyCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXCollection(parent, object)
{
}

CVXPropertyCollection::~CVXPropertyCollection() = default;

CLmPtr<CVXProperty> CVXPropertyCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXProperty>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}

LONG CVXPropertyCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}
