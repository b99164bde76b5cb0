// PNG pictures of the SVG diagrams, through librsvg and cairo where the build found them:
// in a module of their own, loaded from `moduleFolder` (the executable's) on the first
// PNG, so that runs without one start without those libraries.
#pragma once

#include <string>

namespace VexloDiagram {

// False in a build without librsvg (the Windows cross builds, or a machine without
// librsvg2-dev): only SVG can be written there.
bool PngAvailable();

// Rasterizes the SVG text at its own width and height into `file` (UTF-8 path). On
// failure returns false and says why in `error`, also when the module or a library it
// needs is missing.
bool WritePng(const std::wstring& moduleFolder, const std::string& svg, const std::string& file, std::string& error);

} // namespace VexloDiagram
