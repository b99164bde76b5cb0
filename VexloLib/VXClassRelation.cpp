#include "VXClassRelation.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXClass.h"

using LmLib::CLmPtr;
namespace Host = RoseHost::Disp::ClassRelation;

CVXClassRelation::CVXClassRelation(const CVXParentPtr& parent, IDispatch* object) : CVXRelation(parent, object) {}

CVXClassRelation::~CVXClassRelation() = default;

CVXHostInterface CVXClassRelation::GetIRoseClassRelation()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXClassRelation::GetContextClass()
{
    LM_TRY
    {
        return GetIRoseClassRelation().Call<CLmPtr<CVXClass>>(Host::GetContextClass);
    }
    LM_END_TRY
}

CLmPtr<CVXClass> CVXClassRelation::GetSupplierClass()
{
    LM_TRY
    {
        return GetIRoseClassRelation().Call<CLmPtr<CVXClass>>(Host::GetSupplierClass);
    }
    LM_END_TRY
}
