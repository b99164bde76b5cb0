// The C# extension of a has relationship. Has relationships add nothing to the
// files; this one gives access to the relation and its "InitialValue" property.
#pragma once

#include "VXCSharpClassRelation.h"

class CVXHasRelationship;

class CVXCSharpHasRelationship : public CVXCSharpClassRelation
{
public:
    static LmLib::CLmPtr<CVXCSharpHasRelationship> Create(const LmLib::CLmPtr<CVXHasRelationship>& relation);

    explicit CVXCSharpHasRelationship(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXCSharpHasRelationship() override;

    virtual LmLib::CLmPtr<CVXHasRelationship> GetHasRelationship();
    // Always true: this is a has relationship.
    virtual bool IsHasRelationship();
    // The relation's "InitialValue" property (not used by the generated text).
    virtual LmLib::Values::CLmBSTR GetInitialValue();
};
