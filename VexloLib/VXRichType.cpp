#include "VXRichType.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::RichType;

CLmPtr<CVXRichType> CVXRichType::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXRichType>(parent, object);
    }
    LM_END_TRY
}

CVXRichType::CVXRichType(const CVXParentPtr& parent, IDispatch* object) : CVXSecondaryObject(parent, object) {}

CVXRichType::~CVXRichType() = default;

CVXHostInterface CVXRichType::GetIRoseRichType()
{
    LM_TRY
    {
        return HostInterface(Host::Iid);
    }
    LM_END_TRY
}

CLmBSTR CVXRichType::GetName()
{
    LM_TRY
    {
        return GetIRoseRichType().Get<CLmBSTR>(Host::Name);
    }
    LM_END_TRY
}

void CVXRichType::SetName(const CLmBSTR& name)
{
    LM_TRY
    {
        GetIRoseRichType().Put(Host::Name, name);
    }
    LM_END_TRY
}

short CVXRichType::GetValue()
{
    LM_TRY
    {
        return GetIRoseRichType().Get<short>(Host::Value);
    }
    LM_END_TRY
}

void CVXRichType::SetValue(short value)
{
    LM_TRY
    {
        GetIRoseRichType().Put(Host::Value, value);
    }
    LM_END_TRY
}

LONG CVXRichType::VisibilityFromExportControl(short exportControl)
{
    switch (exportControl)
    {
    case 0:
        return 0; // public
    case 1:
        return 2; // protected
    case 2:
        return 1; // private
    case 3:
        return 3; // implementation
    default:
        return -1;
    }
}

LONG CVXRichType::VisibilityOf(const CLmPtr<CVXRichType>& exportControl)
{
    LM_TRY
    {
        LM_CHECK_POINTER(exportControl.GetTyped(), L"ExportControl");
        return VisibilityFromExportControl(exportControl->GetValue());
    }
    LM_END_TRY
}
