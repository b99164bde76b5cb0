// Components (modules) (host IRoseModuleCollection); GetAt gives CVXModule wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXModuleCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXModuleCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXModuleCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXModuleCollection() override;

    LONG GetCount() override;
    // A new CVXModule (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
