#include "VXElement.h"

#include "LmTranslate.h"
#include "RoseHostIds.h"
#include "VXModel.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
namespace Host = RoseHost::Disp::Item;

CVXElement::CVXElement(const CVXParentPtr& parent, IDispatch* object) : CVXObject(parent, object) {}

CVXElement::~CVXElement() = default;

CVXHostInterface CVXElement::ItemInterface() const
{
    return HostInterface(Host::Iid);
}

CLmPtr<CVXProperty> CVXElement::FindProperty(const CLmBSTR& toolName, const CLmBSTR& propName)
{
    LM_TRY
    {
        // A property wrapper would exist even without an object: test the host's answer.
        CVXDispatchRef property = ItemInterface().Call<CVXDispatchRef>(Host::FindProperty, toolName, propName);
        if (!property)
            return CLmPtr<CVXProperty>();
        return CVXProperty::Create(CVXParentPtr(), property.Get());
    }
    LM_END_TRY
}

CLmPtr<CVXPropertyCollection> CVXElement::GetToolProperties(const CLmBSTR& toolName)
{
    LM_TRY
    {
        return ItemInterface().Call<CLmPtr<CVXPropertyCollection>>(Host::GetToolProperties, toolName);
    }
    LM_END_TRY
}

CLmBSTR CVXElement::GetName()
{
    LM_TRY
    {
        return ItemInterface().Get<CLmBSTR>(Host::Name);
    }
    LM_END_TRY
}

void CVXElement::SetName(const CLmBSTR& name)
{
    LM_TRY
    {
        ItemInterface().Put(Host::Name, name);
    }
    LM_END_TRY
}

CLmBSTR CVXElement::GetUniqueID()
{
    LM_TRY
    {
        return ItemInterface().Call<CLmBSTR>(Host::GetUniqueID);
    }
    LM_END_TRY
}

CLmBSTR CVXElement::GetPropertyValue(const CLmBSTR& toolName, const CLmBSTR& propName)
{
    LM_TRY
    {
        return ItemInterface().Call<CLmBSTR>(Host::GetPropertyValue, toolName, propName);
    }
    LM_END_TRY
}

CLmPtr<CVXModel> CVXElement::GetModel()
{
    LM_TRY
    {
        return ItemInterface().Get<CLmPtr<CVXModel>>(Host::Model);
    }
    LM_END_TRY
}
