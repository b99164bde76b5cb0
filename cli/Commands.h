// The commands of the vexlo tool.
#pragma once

#include "Options.h"

#include <string>

namespace VexloCli {

// Where the tool itself lives: the module and the property sets are found beside it.
struct Installation {
    std::wstring executablePath;
    std::wstring executableFolder;
    std::wstring modulePath; // the add-in module beside the executable
};

Installation FindInstallation();

// Each returns the exit code; CliError ends them early.
int RunGenerate(const Options& options, const Installation& installation);
int RunShow(const Options& options, const Installation& installation);
int RunRegister(const Options& options, const Installation& installation, bool unregister);

} // namespace VexloCli
