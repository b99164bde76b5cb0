// The Delphi extension of an association role: the field, accessors and property by
// which a class reaches the class at the other end. Only aggregate roles produce text;
// the type is the class at the other end, whatever the role's multiplicity.
#pragma once

#include "VXDelphiFieldMember.h"

class CVXRole;

class CVXDelphiRole : public CVXDelphiFieldMember
{
public:
    static LmLib::CLmPtr<CVXDelphiRole> Create(const LmLib::CLmPtr<CVXRole>& element);

    explicit CVXDelphiRole(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXDelphiRole() override;

    virtual LmLib::CLmPtr<CVXRole> GetRole();
    // Every text of the member, read from the model now.
    CVXDelphiMemberText GetMemberText() override;
};
