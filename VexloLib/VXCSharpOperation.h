// The C# extension of an operation: one method of the type, with its documentation,
// modifiers, return type and parameters, and a body that is one preserved zone. A
// constructor (named and typed like its class) has no return type and first assigns
// the attributes' initial values.
#pragma once

#include "VXCSharpExtensionElement.h"

#include <optional>

class CVXOperation;
struct CVXCSharpOwner;

class CVXCSharpOperation : public CVXCSharpExtensionElement
{
public:
    // "Type" codes.
    enum OperationType
    {
        TypeNone = 0,
        TypeOperation = 1,
        TypeEvent = 2,
        TypeNew = 3,
    };

    static LmLib::CLmPtr<CVXCSharpOperation> Create(const LmLib::CLmPtr<CVXOperation>& operation);

    explicit CVXCSharpOperation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& operation);
    ~CVXCSharpOperation() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // Always empty.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The method text, not indented, without line end; a preserved body loses level
    // units (the type passes its namespace depth + 2).
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long level) override;
    virtual LmLib::CLmPtr<CVXOperation> GetOperation();

    // "Kind" code (CVXCSharpExtension::MemberKind).
    int GetMemberKind();
    OperationType GetOperationType();
    // "CallingConvention": stdcall 1, cdecl 2, pascal 3, register 4, safecall 5, else 0.
    // C# has no use for it.
    int GetCallingConvention();
    // False only when "GenerateCode" says "FALSE" (any letter case): such a method is
    // left out, as in Delphi.
    bool IsGenerated();

    // The method text for a method of owner (whose initializers it may fill in). The
    // operation's visibility goes to visibility when the text needed it.
    std::wstring GetMethodText(const LmLib::CLmPtr<CVXPreservedZones>& zones, int level, CVXCSharpOwner& owner,
                               std::optional<long>* visibility = nullptr);
};
