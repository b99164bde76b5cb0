// Association roles (host IRoseRoleCollection); GetAt gives CVXRole wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXRoleCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXRoleCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXRoleCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXRoleCollection() override;

    LONG GetCount() override;
    // A new CVXRole (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
