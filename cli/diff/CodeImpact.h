// Which generated files a model change alters: the files of the components whose text
// the changed elements go into, as `generate` plans them (cli/OutputPaths, the rule of
// the generators), in the old model and in the new one.
#pragma once

#include "ModelDiff.h"
#include "OutputPaths.h"

#include <string>
#include <vector>

namespace VexloCli {

// The paths (as `show` prints them), sorted, each once.
std::vector<std::string> FilesAltered(const VexloDiff::DiffResult& result, const RoseHost::Model& before,
                                      const RoseHost::Model& after, const PathSymbolLookup& lookup);

} // namespace VexloCli
