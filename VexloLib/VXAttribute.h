// An attribute of a class (host IRoseAttribute).
#pragma once

#include "VXItem.h"
#include "VXRichType.h"

#include "LmBSTR.h"

class CVXClass;

class CVXAttribute : public CVXItem
{
public:
    static LmLib::CLmPtr<CVXAttribute> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXAttribute(const CVXParentPtr& parent, IDispatch* object);
    ~CVXAttribute() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseAttribute();
    // The visibility code of the export control (see CVXRichType).
    virtual LONG GetVisibility();
    virtual LmLib::CLmPtr<CVXRichType> GetExportControl();
    virtual LmLib::CLmPtr<CVXClass> GetParentClass();

    LmLib::Values::CLmBSTR GetType();
    void SetType(const LmLib::Values::CLmBSTR& type);
    LmLib::Values::CLmBSTR GetInitValue();
};
