// Base of every C# extension: the tool "C#", and the small text helpers that only C#
// texts use.
#pragma once

#include "VXExtension.h"

#include <string>

class CVXCSharpExtension : public CVXExtension
{
public:
    explicit CVXCSharpExtension(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent);
    ~CVXCSharpExtension() override;

    // "C#".
    LmLib::Values::CLmBSTR GetToolName() override;

    // The tool name as the host's property calls want it.
    static const wchar_t* const ToolName;

    // "/// <summary>" CR LF "/// " documentation CR LF "/// </summary>" CR LF, each line
    // after prefix; nothing for an empty documentation. Only the first line of the
    // documentation gets "/// ".
    static std::wstring DocumentationComment(const std::wstring& documentation, const std::wstring& prefix);
    // Access word of a member by the host's visibility code: "public ", "private ",
    // "protected ", for code 3 implementationWord, nothing for any other code.
    static std::wstring AccessWord(long visibility, const wchar_t* implementationWord);
    // Modifier of a member by its "Kind" code: "virtual ", "abstract ", "static ",
    // "override ", or nothing.
    static std::wstring ModifierWord(int memberKind);

    // "Kind" of attributes, roles and operations (code 4 is not used).
    enum MemberKind
    {
        MemberNone = 0,
        MemberCommon = 1,
        MemberVirtual = 2,
        MemberAbstract = 3,
        MemberStatic = 5,
        MemberOverride = 6,
    };
    static int MemberKindOf(const std::wstring& lowerValue);
};
