// Lines between views: their points, arrow heads, diamonds, trees and labels.
#include "SvgPainter.h"

#include "MemberText.h"
#include "diagrams/DiagramReader.h"

#include <algorithm>
#include <cmath>

namespace VexloDiagram::Svg {

// Where a line meets the outline of the view at one of its ends.
std::pair<double, double> Painter::Attach(const View& v, double towardX, double towardY) const
{
    if (IsLineView(v.type) || !v.hasLocation)
        return {static_cast<double>(v.location.x), static_cast<double>(v.location.y)};
    const Box b = BoxOf(v);
    const double dx = towardX - b.cx(), dy = towardY - b.cy();
    if (std::fabs(dx) < 1e-9 && std::fabs(dy) < 1e-9)
        return {b.cx(), b.cy()};
    const double sx = std::fabs(dx) > 1e-9 ? (b.w / 2) / std::fabs(dx) : 1e18;
    const double sy = std::fabs(dy) > 1e-9 ? (b.h / 2) / std::fabs(dy) : 1e18;
    const double s = std::min({sx, sy, 1.0});
    return {b.cx() + dx * s, b.cy() + dy * s};
}

void Painter::Head(const std::vector<std::pair<double, double>>& pts, bool atEnd, const char* kind, const std::string& colour)
{
    const auto& p = atEnd ? pts.back() : pts.front();
    const auto& q = atEnd ? pts[pts.size() - 2] : pts[1];
    double ux = p.first - q.first, uy = p.second - q.second;
    const double len = std::hypot(ux, uy);
    if (len < 1e-9)
        return;
    ux /= len;
    uy /= len;
    const double nx = -uy, ny = ux;
    const std::string kindName = kind;
    const double size = kindName == "diamond" || kindName == "filled-diamond" ? 24 : 30;
    auto at = [&](double back, double side) {
        return Num(p.first - ux * back + nx * side) + " " + Num(p.second - uy * back + ny * side);
    };
    std::string d;
    std::string fill = "none";
    if (kindName == "triangle") {
        d = std::string("M") + at(0, 0) + "L" + at(size, size / 2) + "L" + at(size, -size / 2) + "Z";
        fill = "#ffffff";
    } else if (kindName == "open" || kindName == "filled") {
        // A std::string first: GCC 12 warns (-Wrestrict) on a literal + a temporary at -O2.
        d = std::string("M") + at(size, size / 2.5) + "L" + at(0, 0) + "L" + at(size, -size / 2.5);
        if (kindName == "filled") {
            d += "Z";
            fill = colour;
        }
    } else {
        d = std::string("M") + at(0, 0) + "L" + at(size, size / 2) + "L" + at(2 * size, 0) + "L" + at(size, -size / 2) + "Z";
        fill = kindName == "filled-diamond" ? colour : "#ffffff";
    }
    Path(d, " fill=\"" + fill + "\" stroke=\"" + colour + "\" stroke-width=\"3\"", kind);
}

void Painter::Line(const View& v)
{
    const std::string& t = v.type;
    std::vector<std::pair<double, double>> pts;
    for (const Point& p : v.vertices)
        pts.emplace_back(p.x, p.y);
    const View* client = v.client >= 0 ? &m_d.views[static_cast<size_t>(v.client)] : nullptr;
    const View* supplier = v.supplier >= 0 ? &m_d.views[static_cast<size_t>(v.supplier)] : nullptr;
    if (t == "InheritTreeView" && pts.size() < 2 && supplier && v.hasLocation) {
        pts = {{v.location.x, v.location.y}};
        pts.push_back(Attach(*supplier, v.location.x, v.location.y));
    }
    if (t == "InheritTreeView" && !pts.empty())
        TreeBar(v, pts.front());
    if (pts.size() < 2 && client && supplier && client->hasLocation && supplier->hasLocation) {
        const auto a = Attach(*client, supplier->location.x, supplier->location.y);
        const auto b = Attach(*supplier, client->location.x, client->location.y);
        pts = {a, b};
        if (t == "SelfMessView" || (a == b && client == supplier))
            pts = {a, {a.first + 80, a.second}, {a.first + 80, a.second + 60}, {a.first, a.second + 60}};
    }
    if (t == "SelfMessView" && pts.size() == 2)
        pts = {pts[0], {pts[0].first + 80, pts[0].second}, {pts[0].first + 80, pts[1].second + 60},
               {pts[1].first, pts[1].second + 60}};
    const std::string colour = ColorOf(v.lineColor, "#993333");
    Open(v, "relation");
    if (pts.size() >= 2 && t != "AssociationViewNew") {
        std::string d;
        for (size_t i = 0; i < pts.size(); ++i) {
            d += i ? 'L' : 'M';
            d += Num(pts[i].first);
            d += ' ';
            d += Num(pts[i].second);
            Grow(pts[i].first, pts[i].second);
        }
        const bool dashed = t == "RealizeView" || t == "UsesView" || t == "DependencyView" || t == "AttachView" ||
                            t == "ModVisView" || t == "ImportView" || t == "IncludeView" || t == "ExtendView";
        Path(d, " fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"3\"" +
                    (dashed ? " stroke-dasharray=\"16 10\"" : ""),
             "line");
        if (t == "InheritTreeView" || (t == "InheritView" && v.drawSupplier < 0) || t == "RealizeView")
            Head(pts, true, "triangle", colour);
        else if (dashed && t != "AttachView")
            Head(pts, true, "open", colour);
        else if (t == "TransView" || t == "MessView")
            Head(pts, true, "open", colour);
        else if (t == "InterMessView" || t == "SelfMessView")
            Head(pts, true, "filled", colour);
        else if (t == "RoleView")
            RoleEnds(v, pts, colour);
    }
    for (const Label& l : v.labels) {
        if (!l.hasLocation)
            continue;
        std::string text = l.text;
        if (text.empty() && !l.quidu.empty())
            if (auto it = m_set.otherNames.find(l.quidu); it != m_set.otherNames.end())
                text = it->second;
        if ((t == "InterMessView" || t == "SelfMessView") && v.ordinal >= 0)
            text = std::to_string(v.ordinal + 1) + ": " + text;
        if (!text.empty())
            LabelText(l, SplitLines(text), v, "label", false, true);
    }
    Close();
}

// The bar of a shared inheritance tree: across the ends of the lines drawn to it, joined
// to the stem that rises to the superclass.
void Painter::TreeBar(const View& tree, const std::pair<double, double>& stem)
{
    double left = stem.first, right = stem.first, y = stem.second;
    bool any = false;
    for (const View& v : m_d.views)
        if (v.drawSupplier >= 0 && &m_d.views[static_cast<size_t>(v.drawSupplier)] == &tree && !v.vertices.empty()) {
            const Point& end = v.vertices.back();
            left = std::min<double>(left, end.x);
            right = std::max<double>(right, end.x);
            y = any ? y : end.y;
            any = true;
        }
    if (!any)
        return;
    Path(std::string("M") + Num(left) + " " + Num(y) + "H" + Num(right) + "M" + Num(stem.first) + " " + Num(y) + "V" +
             Num(stem.second),
         " fill=\"none\" stroke=\"" + ColorOf(tree.lineColor, "#993333") + "\" stroke-width=\"3\"", "tree");
}

// Aggregation diamonds and navigability arrows at the class end of a role.
void Painter::RoleEnds(const View& v, const std::vector<std::pair<double, double>>& pts, const std::string& colour)
{
    if (!v.element || v.element->kind != ElementKind::Role)
        return;
    const Role& role = static_cast<const Role&>(*v.element);
    const Role* other = role.OtherRole();
    if (role.isAggregate)
        Head(pts, true, role.containment == ContainmentByValue ? "filled-diamond" : "diamond", colour);
    else if (role.isNavigable && other && !other->isNavigable)
        Head(pts, true, "open", colour);
}

} // namespace VexloDiagram::Svg
