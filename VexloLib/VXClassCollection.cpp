#include "VXClassCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClass.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::ClassCollection;

CLmPtr<CVXClassCollection> CVXClassCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXClassCollection>(parent, object);
    }
    LM_END_TRY
}

CVXClassCollection::CVXClassCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXClassCollection::~CVXClassCollection() = default;

LONG CVXClassCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXClassCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXClass>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
