// vexlo diagram: the model's diagrams as SVG (or PNG) files and index.html.
#pragma once

#include "Commands.h"

namespace VexloCli {

int RunDiagram(const Options& options, const Installation& installation);

} // namespace VexloCli
