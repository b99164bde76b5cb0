// vexlo lint: the model settings that give Delphi or C# code a compiler rejects.
//
// The add-in writes what the model says, also where that is no valid Delphi or C#. Lint
// reads the model the way the generators do (the same properties, names, types and
// class order) and reports each place where the written text will not compile, with
// the fix in model terms: a property to set, an element to rename or type, or the zone
// to fill. Model-only: the caller can hand in the old files' zones, so that a fix the
// user already put into a zone counts.
#pragma once

#include "RoseModel.h"
#include "TypeMap.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace VexloLint {

struct Finding {
    std::wstring file;    // the model or unit file the element stands in
    unsigned line = 0;    // the line of the element's object there (0: unknown)
    std::wstring path;    // "Catalog::TItem::Title"
    std::wstring rule;    // "delphi-published-rtti"
    std::wstring message; // what the compiler will reject, and why
    std::wstring fix;     // what to change in the model, or which zone to fill
};

// The text of a zone (scope, tag) in the component's old file; nothing when the file or
// the zone does not exist.
using ZoneLookup =
    std::function<std::optional<std::string>(const RoseHost::Module&, const std::wstring& scope, const std::wstring& tag)>;

// What a team adds to the judgement of type names.
struct LintSettings {
    std::vector<std::wstring> knownTypes;           // --known-types: names its libraries declare
    const VexloTypes::TypeMap* typeMap = nullptr;  // --type-map in force (already applied to the model)
};

// Findings for the components (of language "Delphi" or "C#"; others are passed over), in
// component order, each once.
std::vector<Finding> LintComponents(const RoseHost::Model& model, const std::vector<const RoseHost::Module*>& modules,
                                    const ZoneLookup& zones = {}, const LintSettings& settings = {});

// "FILE:LINE: RULE: PATH: MESSAGE Fix: FIX"
std::wstring FindingText(const Finding& finding);

struct RuleInfo {
    const wchar_t* name;
    const wchar_t* languages; // "Delphi", "C#" or "Delphi, C#"
    const wchar_t* summary;
};
const std::vector<RuleInfo>& Rules();

} // namespace VexloLint
