// Built without librsvg: PNG output is reported as unavailable.
#include "PngWriter.h"

namespace VexloDiagram {

bool PngAvailable() { return false; }

bool WritePng(const std::wstring&, const std::string&, const std::string&, std::string& error)
{
    error = "this vexlo was built without librsvg: PNG output is not available (use --format svg)";
    return false;
}

} // namespace VexloDiagram
