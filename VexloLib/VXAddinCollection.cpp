#include "VXAddinCollection.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXAddin.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::AddInCollection;

CLmPtr<CVXAddinCollection> CVXAddinCollection::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXAddinCollection>(parent, object);
    }
    LM_END_TRY
}

CVXAddinCollection::CVXAddinCollection(const CVXParentPtr& parent, IDispatch* object)
    : CVXObjectCollection(parent, object)
{
}

CVXAddinCollection::~CVXAddinCollection() = default;

CLmPtr<CVXAddin> CVXAddinCollection::GetAt(LONG index)
{
    LM_TRY
    {
        return HostAt<CVXAddin>(Host::Iid, Host::GetAt, index);
    }
    LM_END_TRY
}

LONG CVXAddinCollection::GetCount()
{
    LM_TRY
    {
        return HostCount(Host::Iid, Host::Count);
    }
    LM_END_TRY
}
