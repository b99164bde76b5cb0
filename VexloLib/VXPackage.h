// A package: the model, a logical package (category) or a component package
// (subsystem).
#pragma once

#include "VXControlableUnit.h"

class CVXPackage : public CVXControlableUnit
{
public:
    CVXPackage(const CVXParentPtr& parent, IDispatch* object);
    ~CVXPackage() override;
};
