// `vexlo reverse MODEL.mdl`: code edited by hand flows back into the model (docs/REVERSE.md).
#pragma once

#include "Commands.h"

namespace VexloCli {

int RunReverse(const Options& options, const Installation& installation);

} // namespace VexloCli
