#include "VXAssociation.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXRole.h"
#include "VXCSharpAssociation.h"
#include "VXDelphiAssociation.h"
#include "VXExtension.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Association;

CLmPtr<CVXAssociation> CVXAssociation::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXAssociation>(parent, object);
    }
    LM_END_TRY
}

CVXAssociation::CVXAssociation(const CVXParentPtr& parent, IDispatch* object) : CVXItem(parent, object) {}

CVXAssociation::~CVXAssociation() = default;

CLmPtr<CVXExtension> CVXAssociation::GetExtension(const CLmBSTR& language)
{
    LM_TRY
    {
        // Exact names only.
        if (language == L"Delphi")
            return CVXDelphiAssociation::Create(CLmPtr<CVXAssociation>(this));
        if (language == L"C#")
            return CVXCSharpAssociation::Create(CLmPtr<CVXAssociation>(this));
        return CLmPtr<CVXExtension>();
    }
    LM_END_TRY
}

CVXHostInterface CVXAssociation::GetIRoseAssociation()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmPtr<CVXRole> CVXAssociation::GetRole1()
{
    LM_TRY
    {
        return GetIRoseAssociation().Get<CLmPtr<CVXRole>>(Host::Role1);
    }
    LM_END_TRY
}

CLmPtr<CVXRole> CVXAssociation::GetRole2()
{
    LM_TRY
    {
        return GetIRoseAssociation().Get<CLmPtr<CVXRole>>(Host::Role2);
    }
    LM_END_TRY
}
