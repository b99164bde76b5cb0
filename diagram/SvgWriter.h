// One diagram as a standalone SVG document, drawn in the model file's own units (the
// viewBox is the stored coordinates, so every view stands where the file puts it).
#pragma once

#include "diagrams/Diagram.h"

#include <functional>
#include <string>

namespace RoseHost {
struct Model;
struct Class;
}

namespace VexloDiagram {

struct SvgOptions {
    // Where a class box links to ("" for no link).
    std::function<std::string(const RoseHost::Class&)> classLink;
    // Pixels per model unit of the width/height attributes (the model's unit is about
    // 1/300 inch; 0.32 shows a diagram near the size the modeling tool shows it at 100 %).
    double scale = 0.32;
    // Leave out the XML declaration (for an SVG inlined in HTML).
    bool inlined = false;
    // More attributes for a view's group (` data-change="added"`), so a page can style it.
    std::function<std::string(const RoseHost::Diagrams::View&)> viewAttributes;
};

std::string RenderSvg(const RoseHost::Diagrams::Diagram& diagram, const RoseHost::Diagrams::DiagramSet& set,
                      const SvgOptions& options);

// Text escaped for XML content and attribute values.
std::string XmlEscape(const std::string& text);

// "#rrggbb" of a colour stored as a BGR number, or `fallback` when none is stored.
std::string ColorOf(int bgr, const char* fallback);

} // namespace VexloDiagram
