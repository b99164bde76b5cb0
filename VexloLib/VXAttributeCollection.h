// The attributes of a class (host IRoseAttributeCollection); GetAt gives CVXAttribute wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXAttributeCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXAttributeCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXAttributeCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXAttributeCollection() override;

    LONG GetCount() override;
    // A new CVXAttribute (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
