// The host's add-in manager (IRoseAddInManager): the way to the host's list of add-ins.
#pragma once

#include "VXObject.h"

class CVXAddinCollection;

class CVXAddinManager : public CVXObject
{
public:
    static LmLib::CLmPtr<CVXAddinManager> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXAddinManager(const CVXParentPtr& parent, IDispatch* object);
    ~CVXAddinManager() override;

    // Every add-in the host knows, in the host's order.
    virtual LmLib::CLmPtr<CVXAddinCollection> GetAddIns();
};
