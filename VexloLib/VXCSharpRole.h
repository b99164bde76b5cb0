// The C# extension of an association role: a field and a property, like an
// attribute's, whose type is the class at the other end. Only aggregate roles
// produce text.
#pragma once

#include "VXCSharpFieldMember.h"

class CVXRole;
struct CVXCSharpOwner;

class CVXCSharpRole : public CVXCSharpFieldMember
{
public:
    static LmLib::CLmPtr<CVXCSharpRole> Create(const LmLib::CLmPtr<CVXRole>& element);

    explicit CVXCSharpRole(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXCSharpRole() override;

    virtual LmLib::CLmPtr<CVXRole> GetRole();
    bool IsGenerated();
    // "InitValue": the value of a const role field.
    LmLib::Values::CLmBSTR GetInitValue();
    // The class at the other end, or "ContainerClass" for a role with many targets
    // when that is set.
    std::wstring GetTargetType(const std::wstring& ownerName);

    // Every text of the member, read from the model now; owner is the type it
    // belongs to (its name is part of the zone scope).
    CVXCSharpMemberText GetMemberText(const CVXCSharpOwner& owner) override;
    // The type the member belongs to, read from the model.
    CVXCSharpOwner ReadOwner() override;
};
