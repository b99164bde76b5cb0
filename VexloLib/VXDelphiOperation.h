// The Delphi extension of an operation: the method's declaration for the class
// declaration and its implementation (header, "var" zone, begin, "body" zone, end;).
#pragma once

#include "VXDelphiExtensionElement.h"

#include <string>
#include <vector>

class CVXOperation;

class CVXDelphiOperation : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiOperation> Create(const LmLib::CLmPtr<CVXOperation>& operation);

    explicit CVXDelphiOperation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& operation);
    ~CVXDelphiOperation() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The method implementation; empty for an abstract method.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The declaration line with its directives, not indented.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
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

    // Everything the declaration and the implementation read of the operation, read
    // once, so that a class writing both texts asks the host once per operation.
    struct Values
    {
        std::wstring Name;
        std::wstring UniqueId;
        std::wstring ClassName;
        std::wstring ClassKind;     // lower case
        std::wstring Parameters;    // joined with ";"
        std::wstring ReturnPart;    // ": " + return type, or empty
        std::wstring Keyword;       // function, procedure, constructor, destructor, class ...
        std::wstring Documentation; // the prefix, "{...}" CR LF, or empty
        std::wstring MethodKind;
        std::wstring CallingConvention;
        bool Overload = false;
    };
    // The owning class's name and lower-case "Kind" come from the arguments when the
    // caller has read them (a class writing its own operations), else from the host.
    Values ReadValues(const std::wstring* className = nullptr, const std::wstring* classKind = nullptr);
    static std::wstring DeclarationText(const Values& values);
    // text += the method's body; false, with nothing added, for an abstract method.
    // initializations: the field initialisations a constructor starts with, one
    // statement each; read from the owning class when null.
    bool ImplementationText(std::wstring& text, const Values& values, const LmLib::CLmPtr<CVXPreservedZones>& zones,
                            const std::vector<std::wstring>* initializations);
};
