// An aggregation by value: the client class contains the supplier class (host IRoseHasRelationship).
#pragma once

#include "VXClassRelation.h"

class CVXHasRelationship : public CVXClassRelation
{
public:
    static LmLib::CLmPtr<CVXHasRelationship> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXHasRelationship(const CVXParentPtr& parent, IDispatch* object);
    ~CVXHasRelationship() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseHasRelationship();
};
