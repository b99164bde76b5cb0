// The C# extension of a component dependency. C# using lines come from the
// namespaces of the classes used, not from component dependencies; this one only gives
// access to the relation.
#pragma once

#include "VXCSharpExtensionElement.h"

class CVXModuleVisibilityRelationship;

class CVXCSharpModuleVisibilityRelationship : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpModuleVisibilityRelationship> Create(const LmLib::CLmPtr<CVXModuleVisibilityRelationship>& relation);

    explicit CVXCSharpModuleVisibilityRelationship(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXCSharpModuleVisibilityRelationship() override;

    virtual LmLib::CLmPtr<CVXModuleVisibilityRelationship> GetModuleVisibilityRelationship();
};
