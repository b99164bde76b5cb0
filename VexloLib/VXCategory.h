// A logical package of the model (host IRoseCategory).
#pragma once

#include "VXPackage.h"

class CVXCategory : public CVXPackage
{
public:
    static LmLib::CLmPtr<CVXCategory> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXCategory(const CVXParentPtr& parent, IDispatch* object);
    ~CVXCategory() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseCategory();
    // Empty at the top.
    virtual LmLib::CLmPtr<CVXCategory> GetParentCategory();
    // True only when the host answers the automation true value (-1).
    virtual bool IsRootPackage();
};
