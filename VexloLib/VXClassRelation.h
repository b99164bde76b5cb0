// The common base of inherit relations, class dependencies and has relationships (host
// IRoseClassRelation): both ends are classes.
#pragma once

#include "VXRelation.h"

class CVXClassRelation : public CVXRelation
{
public:
    CVXClassRelation(const CVXParentPtr& parent, IDispatch* object);
    ~CVXClassRelation() override;

    virtual CVXHostInterface GetIRoseClassRelation();
    virtual LmLib::CLmPtr<CVXClass> GetContextClass();
    // The superclass of an inherit relation, the class depended on, the contained class.
    virtual LmLib::CLmPtr<CVXClass> GetSupplierClass();
};
