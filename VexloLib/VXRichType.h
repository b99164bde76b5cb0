// One of the host's enumerated values, such as an export control or a containment
// (host IRoseRichType): a name and a 16-bit value.
#pragma once

#include "VXSecondaryObject.h"

#include "LmBSTR.h"

class CVXRichType : public CVXSecondaryObject
{
public:
    static LmLib::CLmPtr<CVXRichType> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXRichType(const CVXParentPtr& parent, IDispatch* object);
    ~CVXRichType() override;

    virtual CVXHostInterface GetIRoseRichType();

    LmLib::Values::CLmBSTR GetName();
    void SetName(const LmLib::Values::CLmBSTR& name);
    short GetValue();
    void SetValue(short value);

    // The add-in's visibility code of an export-control value: 0 public, 1 private,
    // 2 protected, 3 implementation, -1 for anything else. (The host numbers
    // protected 1 and private 2.)
    static LONG VisibilityFromExportControl(short exportControl);
    // The visibility code of an export-control rich type; a missing one is an error.
    static LONG VisibilityOf(const LmLib::CLmPtr<CVXRichType>& exportControl);
};
