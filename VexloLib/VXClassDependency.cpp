#include "VXClassDependency.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXClassDependency> CVXClassDependency::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXClassDependency>(parent, object);
    }
    LM_END_TRY
}

CVXClassDependency::CVXClassDependency(const CVXParentPtr& parent, IDispatch* object) : CVXClassRelation(parent, object)
{
}

CVXClassDependency::~CVXClassDependency() = default;

CLmPtr<CVXExtension> CVXClassDependency::GetExtension(const CLmBSTR&)
{
    LM_TRY
    {
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXClassDependency::GetIRoseClassDependency()
{
    LM_TRY
    {
        return HostInterface(RoseHost::Disp::ClassDependency::Iid);
    }
    LM_END_TRY
}
