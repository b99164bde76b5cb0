#include "VXInheritRelation.h"
#include "VXCSharpInheritRelation.h"
#include "VXDelphiInheritRelation.h"
#include "VXExtension.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXInheritRelation> CVXInheritRelation::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXInheritRelation>(parent, object);
    }
    LM_END_TRY
}

CVXInheritRelation::CVXInheritRelation(const CVXParentPtr& parent, IDispatch* object) : CVXClassRelation(parent, object)
{
}

CVXInheritRelation::~CVXInheritRelation() = default;

CLmPtr<CVXExtension> CVXInheritRelation::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiInheritRelation::Create(CLmPtr<CVXInheritRelation>(this));
        if (language == L"C#")
            return CVXCSharpInheritRelation::Create(CLmPtr<CVXInheritRelation>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXInheritRelation::GetIRoseInheritRelation()
{
    LM_TRY
    {
        return HostInterface(RoseHost::Disp::InheritRelation::Iid);
    }
    LM_END_TRY
}
