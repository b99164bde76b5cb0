// vexlo diff: what a model change means, element by element (docs/REVIEW.md).
#pragma once

#include "Commands.h"

namespace VexloCli {

int RunDiff(const Options& options, const Installation& installation);

} // namespace VexloCli
