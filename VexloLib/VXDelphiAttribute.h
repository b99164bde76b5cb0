// The Delphi extension of an attribute: its field, read and write accessors, property
// and initialisation (see CVXDelphiMemberText for the texts).
#pragma once

#include "VXDelphiFieldMember.h"

class CVXAttribute;

class CVXDelphiAttribute : public CVXDelphiFieldMember
{
public:
    static LmLib::CLmPtr<CVXDelphiAttribute> Create(const LmLib::CLmPtr<CVXAttribute>& element);

    explicit CVXDelphiAttribute(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXDelphiAttribute() override;

    virtual LmLib::CLmPtr<CVXAttribute> GetAttribute();
    // Every text of the member, read from the model now.
    CVXDelphiMemberText GetMemberText() override;
    // The same, with the owning class's name and lower-case "Kind" as the caller read
    // them (a class writing its own attributes) instead of asking the host again.
    CVXDelphiMemberText GetMemberText(const std::wstring* className, const std::wstring* classKind);
};
