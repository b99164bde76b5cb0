// Base of every Delphi extension: the tool "Delphi", and the small text helpers that
// only Delphi texts use (documentation comments, directives).
#pragma once

#include "VXExtension.h"

#include <string>

class CVXPreservedZones;

class CVXDelphiExtension : public CVXExtension
{
public:
    explicit CVXDelphiExtension(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent);
    ~CVXDelphiExtension() override;

    // "Delphi".
    LmLib::Values::CLmBSTR GetToolName() override;

    // The tool name as the host's property calls want it.
    static const wchar_t* const ToolName;
    // "{" documentation "}" CR LF, or nothing for an empty documentation.
    static std::wstring DocumentationPrefix(const LmLib::Values::CLmBSTR& documentation);
    // Method directive of a member "Kind" word (lower case): "virtual;", "virtual;
    // abstract;", "dynamic;", "reintroduce;", "override;", or nothing.
    static std::wstring KindDirective(const std::wstring& kind);
    // True for the class kinds whose members carry no directives ("interface",
    // "dispinterface"), given in lower case.
    static bool IsInterfaceKind(const std::wstring& classKind);
};
