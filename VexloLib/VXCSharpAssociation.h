// The C# extension of an association. Its roles write the fields and properties;
// this one only gives access to the association.
#pragma once

#include "VXCSharpExtensionElement.h"

class CVXAssociation;

class CVXCSharpAssociation : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpAssociation> Create(const LmLib::CLmPtr<CVXAssociation>& relation);

    explicit CVXCSharpAssociation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXCSharpAssociation() override;

    virtual LmLib::CLmPtr<CVXAssociation> GetAssociation();
};
