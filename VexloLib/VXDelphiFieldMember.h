// What the Delphi extensions of an attribute and of an association role have in
// common: a field, read and write accessors and a property, all texts of one
// CVXDelphiMemberText. They differ only in where the member's values come from.
#pragma once

#include "VXDelphiExtensionElement.h"
#include "VXDelphiMemberText.h"

class CVXDelphiFieldMember : public CVXDelphiExtensionElement
{
public:
    explicit CVXDelphiFieldMember(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXDelphiFieldMember() override;

    // Always empty: accessor bodies are asked for one by one.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The field declaration, not indented.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    virtual LmLib::Values::CLmBSTR GetReadMethodImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, int levels);
    virtual LmLib::Values::CLmBSTR GetReadMethodDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, int levels);
    virtual LmLib::Values::CLmBSTR GetWriteMethodImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, int levels);
    virtual LmLib::Values::CLmBSTR GetWriteMethodDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, int levels);
    virtual LmLib::Values::CLmBSTR GetPropertyDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, int levels);
    // "F" name ":=" initial value ";", or empty.
    virtual LmLib::Values::CLmBSTR GetInitialization();
    // Fields are always private (visibility code 1).
    virtual long GetFieldVisibility();

    // Every text of the member, read from the model now.
    virtual CVXDelphiMemberText GetMemberText() = 0;
};
