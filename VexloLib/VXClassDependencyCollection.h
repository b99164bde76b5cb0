// The class dependencies of a class (host IRoseClassDependencyCollection); GetAt gives CVXClassDependency wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXClassDependencyCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXClassDependencyCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXClassDependencyCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXClassDependencyCollection() override;

    LONG GetCount() override;
    // A new CVXClassDependency (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
    virtual CVXHostInterface GetIRoseClassDependencyCollection();
};
