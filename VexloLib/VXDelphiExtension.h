// Base of every Delphi extension: the tool "Delphi", and the small text helpers that
// all Delphi texts share (how properties are read, documentation comments, zones).
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
    // One indentation unit.
    static const wchar_t* const Unit;

    // A boolean property value: true only for "TRUE" in any letter case.
    static bool IsTrue(const LmLib::Values::CLmBSTR& value);
    // An enumerated property value, in lower case for comparison.
    static std::wstring Lower(const LmLib::Values::CLmBSTR& value);
    static std::wstring Text(const LmLib::Values::CLmBSTR& value);
    static LmLib::Values::CLmBSTR Bstr(const std::wstring& text);
    // "{" documentation "}" CR LF, or nothing for an empty documentation.
    static std::wstring DocumentationPrefix(const LmLib::Values::CLmBSTR& documentation);
    // One zone, found in zones or with its default body (see CVXZoneWriter).
    static std::wstring Zone(const LmLib::CLmPtr<CVXPreservedZones>& zones, const std::wstring& scope,
                             const std::wstring& uniqueId, const wchar_t* tag, const std::wstring& indentation,
                             const std::wstring& defaultBody);
    // Method directive of a member "Kind" word (lower case): "virtual;", "virtual;
    // abstract;", "dynamic;", "reintroduce;", "override;", or nothing.
    static std::wstring KindDirective(const std::wstring& kind);
    // True for the class kinds whose members carry no directives ("interface",
    // "dispinterface"), given in lower case.
    static bool IsInterfaceKind(const std::wstring& classKind);
};
