#include "VXOperationCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXOperation.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::OperationCollection;

CLmPtr<CVXOperationCollection> CVXOperationCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXOperationCollection>(parent, object);
    }
    LM_END_TRY
}

CVXOperationCollection::CVXOperationCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXOperationCollection::~CVXOperationCollection() = default;

LONG CVXOperationCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXOperationCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXOperation>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
