// One tool property of a model element (host IRoseProperty).
#pragma once

#include "VXBase.h"

#include "LmBSTR.h"

class CVXProperty : public CVXBase
{
public:
    static LmLib::CLmPtr<CVXProperty> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXProperty(const CVXParentPtr& parent, IDispatch* object);
    ~CVXProperty() override;

    LmLib::Values::CLmBSTR GetName();
    void SetName(const LmLib::Values::CLmBSTR& name);
    LmLib::Values::CLmBSTR GetValue();
    void SetValue(const LmLib::Values::CLmBSTR& value);
    LmLib::Values::CLmBSTR GetToolName();
    void SetToolName(const LmLib::Values::CLmBSTR& toolName);
    LmLib::Values::CLmBSTR GetType();
    void SetType(const LmLib::Values::CLmBSTR& type);
};
