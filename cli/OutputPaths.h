// Where the add-in will write a component: the rule of the Delphi and C# generators
// ("Directory" of the model and of the component packages, virtual path symbols), kept
// in this one place so that `vexlo show` tells what a generation will do.
#pragma once

#include "RoseModel.h"

#include <functional>
#include <optional>
#include <string>

namespace VexloCli {

// Value of a virtual path symbol (name without '$'), or nothing when it is unknown.
using PathSymbolLookup = std::function<std::optional<std::wstring>(const std::wstring& symbol)>;

// A leading "$SYMBOL" up to the first "\" replaced by the symbol's value; an unknown
// symbol expands to nothing (the rest of the path stays).
std::wstring ExpandPathSymbol(const std::wstring& path, const PathSymbolLookup& lookup);

// tool: "Delphi" or "C#".
std::wstring ModelDirectory(const RoseHost::Model& model, const std::wstring& tool, const PathSymbolLookup& lookup);
std::wstring SubsystemDirectory(const RoseHost::Model& model, const RoseHost::Subsystem& subsystem,
                                const std::wstring& tool, const PathSymbolLookup& lookup);

struct ComponentOutput {
    bool generated = false;  // the component's "GenerateCode" is true
    std::wstring kind;       // Delphi "ComponentKind" (lower case); "" for C#
    std::wstring path;       // folder, "\", file name
};

// The output of a component in its assigned language; nothing for other languages.
std::optional<ComponentOutput> ComponentOutputOf(const RoseHost::Model& model, const RoseHost::Module& module,
                                                 const PathSymbolLookup& lookup);

} // namespace VexloCli
