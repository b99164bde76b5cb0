// The entry point of the PNG writer module (PngModule_rsvg.cpp), which PngWriter loads
// when a PNG is asked for.
#pragma once

#include <cstddef>

// Rasterizes the SVG text at its own width and height into `file` (UTF-8 path). On
// failure returns false with the reason, cut to errorSize, in `error`.
extern "C" bool VexloWritePng(const char* svg, size_t size, const char* file, char* error, size_t errorSize);
using VexloWritePngFunction = decltype(&VexloWritePng);
