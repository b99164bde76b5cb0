#include "VXClassDependencyCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClassDependency.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::ClassDependencyCollection;

CLmPtr<CVXClassDependencyCollection> CVXClassDependencyCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXClassDependencyCollection>(parent, object);
    }
    LM_END_TRY
}

CVXClassDependencyCollection::CVXClassDependencyCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXItemCollection(parent, object)
{
}

CVXClassDependencyCollection::~CVXClassDependencyCollection() = default;

LONG CVXClassDependencyCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}

CLmPtr<CVXItem> CVXClassDependencyCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXClassDependency>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}

CVXHostInterface CVXClassDependencyCollection::GetIRoseClassDependencyCollection()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}
