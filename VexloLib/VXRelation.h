// A relation between two model elements (host IRoseRelation); its ends are seen as
// classes whatever the host's item is.
#pragma once

#include "VXItem.h"

class CVXClass;

class CVXRelation : public CVXItem
{
public:
    CVXRelation(const CVXParentPtr& parent, IDispatch* object);
    ~CVXRelation() override;

    virtual CVXHostInterface GetIRoseRelation();
    virtual LmLib::CLmPtr<CVXClass> GetSupplier();
    virtual LmLib::CLmPtr<CVXClass> GetContext();
};
