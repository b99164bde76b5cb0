// The lint command: loads the model as generate does (--language, --path-map,
// --codepage), judges the selected components and prints one line per finding.
#pragma once

#include "Commands.h"
#include "Lint.h"
#include "Options.h"

#include <vector>

namespace VexloCli {

struct LintRun {
    std::vector<VexloLint::Finding> findings;
    size_t components = 0; // judged (of language Delphi or C#)
    std::vector<std::wstring> selected; // their qualified names
};

// Loads the model and lints the components named by --component (default: every
// component of language Delphi or C#). A zone the user already filled with a fix (in the
// component's existing file) counts. Throws CliError as generate does.
LintRun LintModelFile(const Options& options, const Installation& installation);

// Prints the findings and a summary; 0 without findings, 1 with findings.
int RunLint(const Options& options, const Installation& installation);

} // namespace VexloCli
