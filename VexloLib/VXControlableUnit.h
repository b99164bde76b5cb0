// A model item that the host can keep in a file of its own (a controlled unit).
#pragma once

#include "VXItem.h"

class CVXControlableUnit : public CVXItem
{
public:
    CVXControlableUnit(const CVXParentPtr& parent, IDispatch* object);
    ~CVXControlableUnit() override;
};
