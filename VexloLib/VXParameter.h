// A parameter of an operation, or a formal parameter of a class (host IRoseParameter).
#pragma once

#include "VXItem.h"

#include "LmBSTR.h"

class CVXParameter : public CVXItem
{
public:
    static LmLib::CLmPtr<CVXParameter> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXParameter(const CVXParentPtr& parent, IDispatch* object);
    ~CVXParameter() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseParameter();
    // "Delphi", without asking the host.
    virtual LmLib::Values::CLmBSTR GetAssignedLanguage();

    LmLib::Values::CLmBSTR GetType();
    void SetType(const LmLib::Values::CLmBSTR& type);
    LmLib::Values::CLmBSTR GetInitValue();
    void SetInitValue(const LmLib::Values::CLmBSTR& value);
};
