// Base of the collections of model items. Loops over them run from 0 while the index is
// below GetCount(), asked again before each step; GetAt makes a new wrapper each time.
// A typed collection's GetAt answers its own wrapper class, read through a typed pointer:
//   LmLib::CLmPtr<CVXClass> cls = classes->GetAt(i);
#pragma once

#include "VXItem.h"
#include "VXObjectCollection.h"

class CVXItemCollection : public CVXObjectCollection
{
public:
    CVXItemCollection(const CVXParentPtr& parent, IDispatch* object);
    ~CVXItemCollection() override;

    virtual LONG GetCount() = 0;
    // index counts from 0.
    virtual LmLib::CLmPtr<CVXItem> GetAt(LONG index) = 0;
};
