// A model element (host IRoseItem): name, unique id, tool properties and its model.
#pragma once

#include "VXObject.h"
#include "VXProperty.h"
#include "VXPropertyCollection.h"

#include "LmBSTR.h"

class CVXModel;

class CVXElement : public CVXObject
{
public:
    CVXElement(const CVXParentPtr& parent, IDispatch* object);
    ~CVXElement() override;

    // The property object, or an empty pointer when the host finds none.
    virtual LmLib::CLmPtr<CVXProperty> FindProperty(const LmLib::Values::CLmBSTR& toolName,
                                                    const LmLib::Values::CLmBSTR& propName);
    virtual LmLib::CLmPtr<CVXPropertyCollection> GetToolProperties(const LmLib::Values::CLmBSTR& toolName);

    LmLib::Values::CLmBSTR GetName();
    void SetName(const LmLib::Values::CLmBSTR& name);
    LmLib::Values::CLmBSTR GetUniqueID();
    // Exactly what the host answers: no trimming, no case change, no default applied.
    LmLib::Values::CLmBSTR GetPropertyValue(const LmLib::Values::CLmBSTR& toolName,
                                            const LmLib::Values::CLmBSTR& propName);
    LmLib::CLmPtr<CVXModel> GetModel();

protected:
    CVXHostInterface ItemInterface() const;
};
