// The C# extension of an attribute: its backing field, its property with
// preserved get and set bodies, and its constructor assignment (see
// CVXCSharpMemberText).
#pragma once

#include "VXCSharpFieldMember.h"

class CVXAttribute;
struct CVXCSharpOwner;

class CVXCSharpAttribute : public CVXCSharpFieldMember
{
public:
    static LmLib::CLmPtr<CVXCSharpAttribute> Create(const LmLib::CLmPtr<CVXAttribute>& element);

    explicit CVXCSharpAttribute(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXCSharpAttribute() override;

    virtual LmLib::CLmPtr<CVXAttribute> GetAttribute();
    bool IsGenerated();
    // Every text of the member, read from the model now; owner is the type it
    // belongs to (its name is part of the zone scope).
    CVXCSharpMemberText GetMemberText(const CVXCSharpOwner& owner) override;
    // The type the member belongs to, read from the model.
    CVXCSharpOwner ReadOwner() override;
};
