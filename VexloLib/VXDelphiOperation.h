// The Delphi extension of an operation: the method's declaration for the class
// declaration and its implementation (header, "var" zone, begin, "body" zone, end;).
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXOperation;

class CVXDelphiOperation : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiOperation> Create(const LmLib::CLmPtr<CVXOperation>& operation);

    explicit CVXDelphiOperation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& operation);
    ~CVXDelphiOperation() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The method implementation; empty for an abstract method.
    LmLib::Values::CLmBSTR GetImplementation(LmLib::CLmPtr<CVXPreservedZones> zones, long option) override;
    // The declaration line with its directives, not indented.
    LmLib::Values::CLmBSTR GetDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, long option) override;
    virtual LmLib::CLmPtr<CVXOperation> GetOperation();

    // "Kind": common, virtual, abstract, dynamic, reintroduce, override (lower case).
    std::wstring GetMethodKind();
    // "Type": operation, constructor, destructor, static (lower case).
    std::wstring GetMethodType();
    // "CallingConvention": stdcall, cdecl, pascal, register, safecall (lower case).
    std::wstring GetCallingConvention();
    bool IsOverload();
    // False only when the operation's "GenerateCode" says "FALSE": an operation that
    // does not carry the property is generated.
    bool IsGenerated();

private:
    struct Pieces;
    Pieces GetPieces();
};
