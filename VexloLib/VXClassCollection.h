// The classes of a package, a component or the selection (host IRoseClassCollection); GetAt gives CVXClass wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXClassCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXClassCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXClassCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXClassCollection() override;

    LONG GetCount() override;
    // A new CVXClass (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
