#include "VXRelation.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClass.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::Relation;

CVXRelation::CVXRelation(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXRelation::~CVXRelation() = default;

CVXHostInterface CVXRelation::GetIRoseRelation()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXRelation::GetSupplier()
{
    LM_TRY
    {
        return GetIRoseRelation().Call<CLmPtr<CVXClass>>(Host::GetSupplier);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXRelation::GetContext()
{
    LM_TRY
    {
        return GetIRoseRelation().Call<CLmPtr<CVXClass>>(Host::GetContext);
    }
    LM_END_TRY
}
