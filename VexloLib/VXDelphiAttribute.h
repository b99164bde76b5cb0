// The Delphi extension of an attribute: its field, read and write accessors, property
// and initialisation (see CVXDelphiMemberText for the texts).
#pragma once

#include "VXDelphiExtensionElement.h"
#include "VXDelphiMemberText.h"

class CVXAttribute;

class CVXDelphiAttribute : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiAttribute> Create(const LmLib::CLmPtr<CVXAttribute>& element);

    explicit CVXDelphiAttribute(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& element);
    ~CVXDelphiAttribute() override;

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
    virtual LmLib::CLmPtr<CVXAttribute> GetAttribute();
    // Fields are always private (visibility code 1).
    virtual long GetFieldVisibility();

    // Every text of the member, read from the model now.
    CVXDelphiMemberText GetMemberText();
    // The same, with the owning class's name and lower-case "Kind" as the caller read
    // them (a class writing its own attributes) instead of asking the host again.
    CVXDelphiMemberText GetMemberText(const std::wstring* className, const std::wstring* classKind);
};
