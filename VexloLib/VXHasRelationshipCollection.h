// The has relationships (aggregation by value) of a class (host IRoseHasRelationshipCollection); GetAt gives CVXHasRelationship wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXHasRelationshipCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXHasRelationshipCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXHasRelationshipCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXHasRelationshipCollection() override;

    LONG GetCount() override;
    // A new CVXHasRelationship (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
