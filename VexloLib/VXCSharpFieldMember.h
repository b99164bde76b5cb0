// What the C# extensions of an attribute and of an association role have in common:
// both become a backing field and a property with preserved accessor bodies. They
// differ only in where the member's values come from (GetMemberText) and which class
// owns it (ReadOwner).
#pragma once

#include "VXCSharpExtensionElement.h"
#include "VXCSharpMemberText.h"

struct CVXCSharpOwner;

class CVXCSharpFieldMember : public CVXCSharpExtensionElement
{
public:
    explicit CVXCSharpFieldMember(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXCSharpFieldMember() override;

    // Always empty: the type asks for the field and the property one by one.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The field text, not indented, without line end.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // C# accessors are part of the property; these separate accessor texts are empty.
    virtual LmLib::Values::CLmBSTR GetGetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level);
    virtual LmLib::Values::CLmBSTR GetGetText(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level);
    virtual LmLib::Values::CLmBSTR GetSetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level);
    virtual LmLib::Values::CLmBSTR GetSetText(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level);
    // The property with its accessors, not indented; preserved accessor bodies lose
    // level units (the type passes its namespace depth + 2).
    virtual LmLib::Values::CLmBSTR GetPropertyText(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level);
    // field name "=" initial value ";", or empty.
    virtual LmLib::Values::CLmBSTR GetInitialization();
    // Fields always go to the private group (visibility code 1).
    virtual long GetFieldBucket();

    bool IsProperty();
    bool IsDataMember();
    bool HasGetOperation();
    bool HasSetOperation();
    // "Kind" code (CVXCSharpExtension::MemberKind).
    int GetMemberKind();
    bool IsReadOnly();
    bool IsConst();
    LmLib::Values::CLmBSTR GetParameters();

    // Every text of the member, read from the model now; owner is the type it
    // belongs to (its name is part of the zone scope).
    virtual CVXCSharpMemberText GetMemberText(const CVXCSharpOwner& owner) = 0;
    // The type the member belongs to, read from the model.
    virtual CVXCSharpOwner ReadOwner() = 0;
};
