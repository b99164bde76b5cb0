// The dependencies of a component (host IRoseModuleVisibilityRelationshipCollection); GetAt gives CVXModuleVisibilityRelationship wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXModuleVisibilityRelationshipCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXModuleVisibilityRelationshipCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXModuleVisibilityRelationshipCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXModuleVisibilityRelationshipCollection() override;

    LONG GetCount() override;
    // A new CVXModuleVisibilityRelationship (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
