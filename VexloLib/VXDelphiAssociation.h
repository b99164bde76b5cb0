// The Delphi extension of an association. Associations reach the files through their
// roles (CVXDelphiRole); this one only gives access to the association.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXAssociation;

class CVXDelphiAssociation : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiAssociation> Create(const LmLib::CLmPtr<CVXAssociation>& relation);

    explicit CVXDelphiAssociation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXDelphiAssociation() override;

    virtual LmLib::CLmPtr<CVXAssociation> GetAssociation();
};
