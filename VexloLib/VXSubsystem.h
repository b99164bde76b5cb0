// A component package of the model (host IRoseSubsystem).
#pragma once

#include "VXPackage.h"

class CVXSubsystem : public CVXPackage
{
public:
    static LmLib::CLmPtr<CVXSubsystem> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXSubsystem(const CVXParentPtr& parent, IDispatch* object);
    ~CVXSubsystem() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseSubsystem();
    // Empty at the top.
    virtual LmLib::CLmPtr<CVXSubsystem> GetParentSubsystem();
    // True only when the host answers the automation true value (-1).
    virtual bool IsRootPackage();
};
