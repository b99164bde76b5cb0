// The generated files a model change alters, found by generating both models: `vexlo
// generate --out` of each into a scratch folder of its own (as child processes, so that
// their log stays out of the report), then the two folders compared file by file.
#pragma once

#include "Commands.h"
#include "RoseModel.h"

#include <optional>
#include <string>
#include <vector>

namespace VexloCli {

// Paths below the model's "Directory" ("Delphi/Catalog.pas"), sorted; nothing (and the
// reason in `why`) when a preview cannot be made safely: a component package with a
// folder of its own would be written outside the scratch folder.
std::optional<std::vector<std::string>> PreviewFilesAltered(const Options& options, const Installation& installation,
                                                           const std::wstring& before, const RoseHost::Model& beforeModel,
                                                           const std::wstring& after, const RoseHost::Model& afterModel,
                                                           std::wstring& why);

} // namespace VexloCli
