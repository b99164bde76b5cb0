#include "VXRoleCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXRole.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::RoleCollection;

CLmPtr<CVXRoleCollection> CVXRoleCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXRoleCollection>(parent, object);
    }
    LM_END_TRY
}

CVXRoleCollection::CVXRoleCollection(const CVXParentPtr& parent, IDispatch* object) : CVXItemCollection(parent, object)
{
}

CVXRoleCollection::~CVXRoleCollection() = default;

LONG CVXRoleCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXRoleCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXRole>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}
