// Where the add-in will write a component: the rule of the Delphi and C# generators
// ("Directory" of the model and of the component packages, virtual path symbols), kept
// in this one place so that `vexlo show` tells what a generation will do and a run can
// check, before anything is written, that every file stays in the folders the user gave.
#pragma once

#include "RoseModel.h"

#include <functional>
#include <optional>
#include <string>

namespace VexloCli {

// Value of a virtual path symbol (name without '$'), or nothing when it is unknown.
using PathSymbolLookup = std::function<std::optional<std::wstring>(const std::wstring& symbol)>;

// A leading "$SYMBOL" up to the first "\" replaced by the symbol's value; an unknown
// symbol expands to nothing (the rest of the path stays) and is named in *unknown.
std::wstring ExpandPathSymbol(const std::wstring& path, const PathSymbolLookup& lookup,
                              std::wstring* unknown = nullptr);

// True for the keywords of a component package's "Directory" ("AUTO GENERATE", ".").
bool IsDirectoryKeyword(const std::wstring& value);

// A name that may stand as one file or folder name in a path, on Windows too: no
// separator, drive or parent step, no character Windows refuses in a name, no device
// name ("", ".", "..", names with "/", "\", ":", "<", ">", "\"", "|", "?", "*" or a
// control character, and "CON", "NUL", "COM1", ... with or without extension are not).
bool IsPlainName(const std::wstring& name);

struct ComponentOutput {
    bool generated = false;  // the component's "GenerateCode" is true
    std::wstring kind;       // Delphi "ComponentKind" (lower case); "" for C#
    std::wstring path;       // folder, "\", file name
    // The folder the path starts from: a "Directory" setting as the add-in expands it,
    // and the element that holds that setting (the model or a component package).
    std::wstring base;
    const RoseHost::Element* baseSetBy = nullptr;
    std::wstring unknownSymbol;                  // a "$SYMBOL" in that setting nothing defines
    const RoseHost::Element* badName = nullptr;  // a package or the component whose name is not plain
};

// The output of a component in its assigned language; nothing for other languages.
std::optional<ComponentOutput> ComponentOutputOf(const RoseHost::Model& model, const RoseHost::Module& module,
                                                 const PathSymbolLookup& lookup);

} // namespace VexloCli
