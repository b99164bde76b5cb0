// The Delphi extension of a has relationship. Has relationships add nothing to the
// files; this one gives access to the relation and its "InitialValue" property.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXHasRelationship;

class CVXDelphiHasRelationship : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiHasRelationship> Create(const LmLib::CLmPtr<CVXHasRelationship>& relation);

    explicit CVXDelphiHasRelationship(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXDelphiHasRelationship() override;

    virtual LmLib::CLmPtr<CVXHasRelationship> GetHasRelationship();
    // Always true: this is a has relationship.
    virtual bool IsHasRelationship();
    // The relation's "InitialValue" property (not used by the generated text).
    virtual LmLib::Values::CLmBSTR GetInitialValue();
};
