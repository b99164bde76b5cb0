// `vexlo lint --format sarif`: the findings as a SARIF 2.1.0 log on standard output, so
// that code scanning (GitHub's among others) shows each one on its model line.
#pragma once

#include "Lint.h"

#include <string>
#include <vector>

namespace VexloCli {

// The log's text: one run of the tool "vexlo" with every rule lint has and a result
// per finding (its paths relative, "/" separated, against the base SRCROOT, the current
// folder).
std::string SarifLog(const std::vector<VexloLint::Finding>& findings, const std::wstring& version,
                     const std::wstring& currentFolder);

} // namespace VexloCli
