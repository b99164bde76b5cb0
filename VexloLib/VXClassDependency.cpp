#include "VXClassDependency.h"
#include "VXCSharpClassDependency.h"
#include "VXDelphiClassDependency.h"
#include "VXExtension.h"

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

CLmPtr<CVXExtension> CVXClassDependency::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiClassDependency::Create(CLmPtr<CVXClassDependency>(this));
        if (language == L"C#")
            return CVXCSharpClassDependency::Create(CLmPtr<CVXClassDependency>(this));
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
