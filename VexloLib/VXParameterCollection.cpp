#include "VXParameterCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXParameter.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::ParameterCollection;

CLmPtr<CVXParameterCollection> CVXParameterCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXParameterCollection>(parent, object);
    }
    LM_END_TRY
}

CVXParameterCollection::CVXParameterCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXParameterCollection::~CVXParameterCollection() = default;

LONG CVXParameterCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXParameterCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXParameter>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
