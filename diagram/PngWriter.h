// PNG pictures of the SVG diagrams, through librsvg and cairo where the build found them.
#pragma once

#include <string>

namespace VexloDiagram {

// False in a build without librsvg (the Windows cross builds, or a machine without
// librsvg2-dev): only SVG can be written there.
bool PngAvailable();

// Rasterizes the SVG text at its own width and height into `file` (UTF-8 path). On
// failure returns false and says why in `error`.
bool WritePng(const std::string& svg, const std::string& file, std::string& error);

} // namespace VexloDiagram
