#include "VXHasRelationship.h"
#include "VXCSharpHasRelationship.h"
#include "VXDelphiHasRelationship.h"
#include "VXExtension.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;

CLmPtr<CVXHasRelationship> CVXHasRelationship::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXHasRelationship>(parent, object);
    }
    LM_END_TRY
}

CVXHasRelationship::CVXHasRelationship(const CVXParentPtr& parent, IDispatch* object) : CVXClassRelation(parent, object)
{
}

CVXHasRelationship::~CVXHasRelationship() = default;

CLmPtr<CVXExtension> CVXHasRelationship::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiHasRelationship::Create(CLmPtr<CVXHasRelationship>(this));
        if (language == L"C#")
            return CVXCSharpHasRelationship::Create(CLmPtr<CVXHasRelationship>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXHasRelationship::GetIRoseHasRelationship()
{
    LM_TRY
    {
        return HostInterface(RoseHost::Disp::HasRelationship::Iid);
    }
    LM_END_TRY
}
