// The inherit relations (superclasses) of a class (host IRoseInheritRelationCollection); GetAt gives CVXInheritRelation wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXInheritRelationCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXInheritRelationCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXInheritRelationCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXInheritRelationCollection() override;

    LONG GetCount() override;
    // A new CVXInheritRelation (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
