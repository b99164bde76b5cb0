// The Delphi extension of an association role: the field, accessors and property by
// which a class reaches the class at the other end. Only aggregate roles produce text;
// the type is the class at the other end, whatever the role's multiplicity.
#pragma once

#include "VXDelphiExtensionElement.h"
#include "VXDelphiMemberText.h"

class CVXRole;

class CVXDelphiRole : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiRole> Create(const LmLib::CLmPtr<CVXRole>& element);

    explicit CVXDelphiRole(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXDelphiRole() override;

    // Always empty: accessor bodies are asked for one by one.
    LmLib::Values::CLmBSTR GetImplementation(LmLib::CLmPtr<CVXPreservedZones> zones, long option) override;
    // The field declaration, not indented.
    LmLib::Values::CLmBSTR GetDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, long option) override;
    virtual LmLib::Values::CLmBSTR GetReadMethodImplementation(LmLib::CLmPtr<CVXPreservedZones> zones, int levels);
    virtual LmLib::Values::CLmBSTR GetReadMethodDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, int levels);
    virtual LmLib::Values::CLmBSTR GetWriteMethodImplementation(LmLib::CLmPtr<CVXPreservedZones> zones, int levels);
    virtual LmLib::Values::CLmBSTR GetWriteMethodDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, int levels);
    virtual LmLib::Values::CLmBSTR GetPropertyDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, int levels);
    // "F" name ":=" initial value ";", or empty.
    virtual LmLib::Values::CLmBSTR GetInitialization();
    virtual LmLib::CLmPtr<CVXRole> GetRole();
    // Fields are always private (visibility code 1).
    virtual long GetFieldVisibility();

    // Every text of the member, read from the model now.
    CVXDelphiMemberText GetMemberText();
};
