// The parameters of an operation, or a class's formal parameters (host IRoseParameterCollection); GetAt gives CVXParameter wrappers.
#pragma once

#include "VXItemCollection.h"

class CVXParameterCollection : public CVXItemCollection
{
public:
    static LmLib::CLmPtr<CVXParameterCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXParameterCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXParameterCollection() override;

    LONG GetCount() override;
    // A new CVXParameter (index counts from 0).
    LmLib::CLmPtr<CVXItem> GetAt(LONG index) override;
};
