// What the reader checks in a diagram it has read: views far off the page, and one
// warning for each view that cannot be drawn as stored.
#include "DiagramReader.h"

#include <algorithm>

namespace RoseHost::Diagrams {

// Views far outside the page (more than a page beyond its edges) would make pictures of
// absurd size: their places come back onto the page's edge, with a warning; sizes larger
// than the page shrink to it.
void DiagramReader::ClampToPage(Diagram& d)
{
    const int w = d.pageWidth, h = d.pageHeight;
    auto clamp = [&](Point& p) {
        const Point was = p;
        p.x = std::clamp(p.x, -w, 2 * w);
        p.y = std::clamp(p.y, -h, 2 * h);
        return !(p == was);
    };
    for (View& v : d.views) {
        bool moved = v.hasLocation && clamp(v.location);
        for (Point& p : v.vertices)
            moved = clamp(p) || moved;
        for (Label& l : v.labels)
            moved = (l.hasLocation && clamp(l.location)) || moved;
        if (v.stereotypeLabel.hasLocation)
            moved = clamp(v.stereotypeLabel.location) || moved;
        v.width = std::min(v.width, w);
        v.height = std::min(v.height, h);
        v.yCoord = std::clamp(v.yCoord, -h, 2 * h);
        for (Label& l : v.labels) {
            l.maxWidth = std::min(l.maxWidth, w);
            l.offset = std::clamp(l.offset, -w, w);
        }
        if (moved)
            m_clamped.insert(&v);
    }
}

// One warning per view, the first thing that keeps it from being drawn as stored.
void DiagramReader::CheckViews(const Diagram& d)
{
    for (const View& v : d.views) {
        if (m_warned.count(static_cast<int>(&v - d.views.data())))
            continue;
        const ViewKind* kind = FindViewKind(v.type);
        std::string why;
        if (kind && kind->line) {
            const bool ends = v.client >= 0 && v.supplier >= 0;
            if (v.shape == Shape::InheritTree || v.shape == Shape::Association)
                ;
            else if (!ends && v.vertices.size() < 2)
                why = v.vertices.empty() ? "has no ends and no vertices: not drawn" : "has no ends and one vertex: not drawn";
            else if (v.vertices.size() == 1)
                why = "has one vertex, a line needs two: drawn between the views at its ends";
        } else if (!v.hasLocation && v.shape != Shape::Swimlane) { // lanes stand side by side from the left
            why = "has no location: not drawn";
        } else if ((v.width == 0 || v.height == 0 || v.width < -1 || v.height < -1)) {
            why = "has a zero or negative size (" + std::to_string(v.width) + " x " + std::to_string(v.height) +
                  "): drawn at its default size";
        } else if (kind && kind->sized && (v.width < 0 || v.height < 0)) {
            why = "has no size: drawn at its default size";
        }
        if (!kind)
            why = "is of the unknown kind " + v.type +
                  (why.empty() ? std::string(": drawn as a plain box") : std::string(", and ") + why);
        if (why.empty() && m_clamped.count(&v))
            why = "stands far outside the diagram's page (" + std::to_string(d.pageWidth) + " x " +
                  std::to_string(d.pageHeight) + "): drawn at the page's edge";
        if (!why.empty())
            m_set.warnings.push_back({v.file, v.line, (kind ? "the " + v.type + " " : std::string("the view ")) + why});
    }
}

} // namespace RoseHost::Diagrams
