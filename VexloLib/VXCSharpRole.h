// The C# extension of an association role: a field and a property, like an
// attribute's, whose type is the class at the other end. Only aggregate roles
// produce text.
#pragma once

#include "VXCSharpExtensionElement.h"
#include "VXCSharpMemberText.h"

class CVXRole;
struct CVXCSharpOwner;

class CVXCSharpRole : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpRole> Create(const LmLib::CLmPtr<CVXRole>& element);

    explicit CVXCSharpRole(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXCSharpRole() override;

    // Always empty: the type asks for the field and the property one by one.
    LmLib::Values::CLmBSTR GetImplementation(LmLib::CLmPtr<CVXPreservedZones> zones, long option) override;
    // The field text, not indented, without line end.
    LmLib::Values::CLmBSTR GetDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, long option) override;
    // C# accessors are part of the property; these separate accessor texts are empty.
    virtual LmLib::Values::CLmBSTR GetGetDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, int level);
    virtual LmLib::Values::CLmBSTR GetGetText(LmLib::CLmPtr<CVXPreservedZones> zones, int level);
    virtual LmLib::Values::CLmBSTR GetSetDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, int level);
    virtual LmLib::Values::CLmBSTR GetSetText(LmLib::CLmPtr<CVXPreservedZones> zones, int level);
    // The property with its accessors, not indented; preserved accessor bodies lose
    // level units (the type passes its namespace depth + 2).
    virtual LmLib::Values::CLmBSTR GetPropertyText(LmLib::CLmPtr<CVXPreservedZones> zones, int level);
    // field name "=" initial value ";", or empty.
    virtual LmLib::Values::CLmBSTR GetInitialization();
    virtual LmLib::CLmPtr<CVXRole> GetRole();
    // Fields always go to the private group (visibility code 1).
    virtual long GetFieldBucket();

    bool IsGenerated();
    bool IsProperty();
    bool IsDataMember();
    bool HasGetOperation();
    bool HasSetOperation();
    // "Kind" code (CVXCSharpExtension::MemberKind).
    int GetMemberKind();
    bool IsReadOnly();
    bool IsConst();
    LmLib::Values::CLmBSTR GetParameters();
    // "InitValue": the value of a const role field.
    LmLib::Values::CLmBSTR GetInitValue();
    // The class at the other end, or "ContainerClass" for a role with many targets
    // when that is set.
    std::wstring GetTargetType(const std::wstring& ownerName);

    // Every text of the member, read from the model now; owner is the type it
    // belongs to (its name is part of the zone scope).
    CVXCSharpMemberText GetMemberText(const CVXCSharpOwner& owner);
    // The type the member belongs to, read from the model.
    CVXCSharpOwner ReadOwner();
};
