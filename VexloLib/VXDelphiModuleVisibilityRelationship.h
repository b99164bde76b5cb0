// The Delphi extension of a component dependency. The uses lists are derived from the
// classes' relations, not from component dependencies; this one only gives access to it.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXModuleVisibilityRelationship;

class CVXDelphiModuleVisibilityRelationship : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiModuleVisibilityRelationship> Create(const LmLib::CLmPtr<CVXModuleVisibilityRelationship>& relation);

    explicit CVXDelphiModuleVisibilityRelationship(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXDelphiModuleVisibilityRelationship() override;

    virtual LmLib::CLmPtr<CVXModuleVisibilityRelationship> GetModuleVisibilityRelationship();
};
