// The host's list of add-ins (IRoseAddInCollection); GetAt gives CVXAddin wrappers.
#pragma once

#include "VXObjectCollection.h"

class CVXAddin;

class CVXAddinCollection : public CVXObjectCollection
{
public:
    static LmLib::CLmPtr<CVXAddinCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXAddinCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXAddinCollection() override;

    // A new CVXAddin over the host's add-in (index counts from 0).
    virtual LmLib::CLmPtr<CVXAddin> GetAt(LONG index);
    virtual LONG GetCount();
};
