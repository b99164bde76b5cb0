// The operations of a class (host IRoseOperationCollection); GetAt gives CVXOperation wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXOperationCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXOperationCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXOperationCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXOperationCollection() override;

    LONG GetCount() override;
    // A new CVXOperation (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
