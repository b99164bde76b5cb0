// A context-menu item that the add-in registered with the host (IRoseContextMenuItem).
// The item stays registered in the host whether or not a wrapper is kept.
#pragma once

#include "VXObject.h"

class CVXContextMenuItem : public CVXObject
{
public:
    static LmLib::CLmPtr<CVXContextMenuItem> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXContextMenuItem(const CVXParentPtr& parent, IDispatch* object);
    ~CVXContextMenuItem() override;
};
