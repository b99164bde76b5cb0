// A run's files: their paths and names (RunPaths) and their durable reading and
// writing (DurableFiles).
#pragma once

#include "DurableFiles.h"
#include "RunPaths.h"
