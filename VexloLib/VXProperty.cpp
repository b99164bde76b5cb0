#include "VXProperty.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Property;

CLmPtr<CVXProperty> CVXProperty::Create(const CVXParentPtr& parent, IDispatch* object)
{
    LM_TRY
    {
        return LmLib::LmCreateObject<CVXProperty>(parent, object);
    }
    LM_END_TRY
}

CVXProperty::CVXProperty(const CVXParentPtr& parent, IDispatch* object) : CVXBase(parent, object) {}

CVXProperty::~CVXProperty() = default;

CLmBSTR CVXProperty::GetName()
{
    LM_TRY
    {
        return HostInterface(Host::Iid).Get<CLmBSTR>(Host::Name);
    }
    LM_END_TRY
}

void CVXProperty::SetName(const CLmBSTR& name)
{
    LM_TRY
    {
        HostInterface(Host::Iid).Put(Host::Name, name);
    }
    LM_END_TRY
}

CLmBSTR CVXProperty::GetValue()
{
    LM_TRY
    {
        return HostInterface(Host::Iid).Get<CLmBSTR>(Host::Value);
    }
    LM_END_TRY
}

void CVXProperty::SetValue(const CLmBSTR& value)
{
    LM_TRY
    {
        HostInterface(Host::Iid).Put(Host::Value, value);
    }
    LM_END_TRY
}

CLmBSTR CVXProperty::GetToolName()
{
    LM_TRY
    {
        return HostInterface(Host::Iid).Get<CLmBSTR>(Host::ToolName);
    }
    LM_END_TRY
}

void CVXProperty::SetToolName(const CLmBSTR& toolName)
{
    LM_TRY
    {
        HostInterface(Host::Iid).Put(Host::ToolName, toolName);
    }
    LM_END_TRY
}

CLmBSTR CVXProperty::GetType()
{
    LM_TRY
    {
        return HostInterface(Host::Iid).Get<CLmBSTR>(Host::Type);
    }
    LM_END_TRY
}

void CVXProperty::SetType(const CLmBSTR& type)
{
    LM_TRY
    {
        HostInterface(Host::Iid).Put(Host::Type, type);
    }
    LM_END_TRY
}
