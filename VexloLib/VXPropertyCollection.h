// The tool properties of one tool for one element (host IRosePropertyCollection).
#pragma once

#include "VXCollection.h"
#include "VXProperty.h"

class CVXPropertyCollection : public CVXCollection
{
public:
    static LmLib::CLmPtr<CVXPropertyCollection> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXPropertyCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXPropertyCollection() override;

    // index counts from 0.
    virtual LmLib::CLmPtr<CVXProperty> GetAt(LONG index);
    virtual LONG GetCount();
};
