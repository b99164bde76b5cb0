// Lines between views: their points, arrow heads, diamonds, trees and labels.
#include "SvgPainter.h"


#include <algorithm>
#include <cmath>

namespace VexloDiagram::Svg {

// Where a line meets the outline of the view at one of its ends.
std::pair<double, double> Painter::Attach(const View& v, double towardX, double towardY) const
{
    if (v.IsLine() || !v.hasLocation)
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

namespace {

// Where the ray from `from` through `to` leaves the box around `to`, or `to` when it
// does not cross the box's outline beyond `to`.
std::pair<double, double> OntoOutline(const Box& b, std::pair<double, double> from, std::pair<double, double> to)
{
    const double dx = to.first - from.first, dy = to.second - from.second;
    if (std::hypot(dx, dy) < 1e-9)
        return to;
    // Parameters t along from + t * d where the ray meets each side; the entry point is the
    // largest of the entering ones.
    double enter = -1e18, leave = 1e18;
    auto slab = [&](double start, double delta, double lo, double hi) {
        if (std::fabs(delta) < 1e-12)
            return start >= lo && start <= hi;
        double t1 = (lo - start) / delta, t2 = (hi - start) / delta;
        if (t1 > t2)
            std::swap(t1, t2);
        enter = std::max(enter, t1);
        leave = std::min(leave, t2);
        return true;
    };
    if (!slab(from.first, dx, b.x, b.x + b.w) || !slab(from.second, dy, b.y, b.y + b.h) || enter > leave || enter < 0)
        return to;
    return {from.first + dx * enter, from.second + dy * enter};
}

} // namespace

std::vector<std::pair<double, double>> Painter::LinePoints(const View& v, const View* client, const View* supplier) const
{
    std::vector<std::pair<double, double>> pts;
    for (const Point& p : v.vertices)
        pts.emplace_back(p.x, p.y);
    if (v.shape == Shape::InheritTree && pts.size() < 2 && supplier && v.hasLocation) {
        pts = {{v.location.x, v.location.y}};
        pts.push_back(Attach(*supplier, v.location.x, v.location.y));
    }
    if (v.shape == Shape::SelfMessage && client && client->hasLocation) {
        // Out from the lifeline to the right and back onto it, below.
        const double life = client->location.x;
        const double y = pts.empty() ? (v.hasLocation ? v.location.y : client->location.y + 100) : pts.front().second;
        const double x = pts.empty() || std::fabs(pts.front().first - life) > 40 ? life + 15 : pts.front().first;
        const double reach = pts.size() >= 2 ? std::clamp(pts.back().first - pts.front().first, 60.0, 400.0) : 100;
        return {{x, y}, {x + reach, y}, {x + reach, y + 60}, {x, y + 60}};
    }
    if (v.shape == Shape::SelfLink && client && client->hasLocation) {
        // A loop on the object's top right corner.
        const Box b = BoxOf(*client);
        const double x = b.x + b.w * 0.75, y = b.y;
        return {{x, y}, {x, y - 60}, {b.x + b.w + 60, y - 60}, {b.x + b.w + 60, b.y + b.h * 0.25}, {b.x + b.w, b.y + b.h * 0.25}};
    }
    if (pts.size() < 2 && client && supplier && client->hasLocation && supplier->hasLocation) {
        const auto a = Attach(*client, supplier->location.x, supplier->location.y);
        const auto b = Attach(*supplier, client->location.x, client->location.y);
        pts = {a, b};
        if (a == b && client == supplier)
            pts = {a, {a.first + 80, a.second}, {a.first + 80, a.second + 60}, {a.first, a.second + 60}};
    }
    if (v.shape == Shape::Transition && pts.size() >= 2) {
        // Stored ends fall short of the shapes as drawn here: they go on to the outlines.
        if (supplier && supplier->hasLocation && !supplier->IsLine())
            pts.back() = OntoOutline(BoxOf(*supplier), pts[pts.size() - 2], pts.back());
        if (client && client->hasLocation && !client->IsLine())
            pts.front() = OntoOutline(BoxOf(*client), pts[1], pts.front());
    }
    return pts;
}

void Painter::Line(const View& v)
{
    const View* client = v.client >= 0 ? &m_d.views[static_cast<size_t>(v.client)] : nullptr;
    const View* supplier = v.supplier >= 0 ? &m_d.views[static_cast<size_t>(v.supplier)] : nullptr;
    const std::vector<std::pair<double, double>> pts = LinePoints(v, client, supplier);
    if (v.shape == Shape::InheritTree && !pts.empty())
        TreeBar(v, pts.front());
    const std::string colour = ColorOf(v.lineColor, "#993333");
    Open(v, "relation");
    const Shape s = v.shape;
    if (pts.size() >= 2 && s != Shape::Association) {
        std::string d;
        for (size_t i = 0; i < pts.size(); ++i) {
            d += i ? 'L' : 'M';
            d += Num(pts[i].first);
            d += ' ';
            d += Num(pts[i].second);
            Grow(pts[i].first, pts[i].second);
        }
        const bool dashed = s == Shape::Realize || s == Shape::Dependency || s == Shape::Attach;
        Path(d, " fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"3\"" + (dashed ? " stroke-dasharray=\"16 10\"" : ""),
             "line");
        if (s == Shape::InheritTree || (s == Shape::Inherit && v.drawSupplier < 0) || s == Shape::Realize)
            Head(pts, true, "triangle", colour);
        else if (s == Shape::Dependency || s == Shape::Transition)
            Head(pts, true, "open", colour);
        else if (s == Shape::Message || s == Shape::SelfMessage)
            Head(pts, true, "filled", colour);
        else if (s == Shape::Role)
            RoleEnds(v, pts, colour);
    }
    LineLabels(v, pts);
    Close();
}

// Labels at their stored places, centred there; messages numbered from their ordinal. A
// role's name and multiplicity stand where the tool puts them: at their stored share of
// the line's length, their stored distance off it (the stored place can be stale after
// the line moved, and labels of lines that meet would pile up there).
void Painter::LineLabels(const View& v, const std::vector<std::pair<double, double>>& pts)
{
    for (Label l : v.labels) {
        if (v.shape == Shape::Role && l.pctDist >= 0 && pts.size() >= 2) {
            double length = 0;
            for (size_t i = 1; i < pts.size(); ++i)
                length += std::hypot(pts[i].first - pts[i - 1].first, pts[i].second - pts[i - 1].second);
            double along = l.pctDist * length;
            for (size_t i = 1; i < pts.size(); ++i) {
                const double dx = pts[i].first - pts[i - 1].first, dy = pts[i].second - pts[i - 1].second;
                const double d = std::hypot(dx, dy);
                if ((along <= d || i + 1 == pts.size()) && d > 1e-9) {
                    const double ux = dx / d, uy = dy / d, side = l.orientation == 1 ? 1.0 : -1.0;
                    l.location = {static_cast<int>(std::lround(pts[i - 1].first + ux * along - uy * l.offset * side)),
                                  static_cast<int>(std::lround(pts[i - 1].second + uy * along + ux * l.offset * side))};
                    l.hasLocation = true;
                    break;
                }
                along -= d;
            }
        }
        if (!l.hasLocation)
            continue;
        std::string text = l.text;
        if (text.empty() && !l.quidu.empty())
            if (auto it = m_set.otherNames.find(l.quidu); it != m_set.otherNames.end())
                text = it->second;
        if ((v.shape == Shape::Message || v.shape == Shape::SelfMessage) && v.ordinal >= 0)
            text = std::to_string(v.ordinal + 1) + ": " + text;
        if (text.empty())
            continue;
        const std::vector<std::string> lines =
            l.maxWidth > 0 ? Wrap(text, l.maxWidth, FontPx(l.font, v.font), l.nlines) : SplitLines(text);
        if (v.shape == Shape::Role)
            l.location = Unpiled(l, v, lines);
        LabelText(l, lines, v, "label", false, true);
    }
}

// Where several associations meet a class, their role names and multiplicities may be
// stored on top of one another: a label that would cover more than a third of one placed
// before it moves up (then down) by a line until it is clear of labels and boxes, at most
// three lines; where nothing is clear it stays.
Point Painter::Unpiled(const Label& l, const View& v, const std::vector<std::string>& lines)
{
    const double px = FontPx(l.font, v.font), lh = px * 1.2;
    double width = 0;
    for (const std::string& line : lines)
        width = std::max(width, TextWidth(line, px));
    const double height = lh * static_cast<double>(lines.size());
    auto boxAt = [&](double dy) { return Box{l.location.x - width / 2, l.location.y + dy - height / 2, width, height}; };
    auto overlap = [](const Box& a, const Box& b) {
        const double w = std::min(a.x + a.w, b.x + b.w) - std::max(a.x, b.x);
        const double h = std::min(a.y + a.h, b.y + b.h) - std::max(a.y, b.y);
        return w > 0 && h > 0 && w * h > std::min(a.w * a.h, b.w * b.h) / 3;
    };
    // A moved label must not land on another label, nor in a box.
    auto covers = [&](const Box& a, bool moved) {
        for (const Box& b : m_roleLabels)
            if (overlap(a, b))
                return true;
        if (moved)
            for (const View& other : m_d.views)
                if (!other.IsLine() && other.hasLocation && other.shape != Shape::Swimlane && overlap(a, BoxOf(other)))
                    return true;
        return false;
    };
    double dy = 0;
    for (double step : {0.0, -1.0, 1.0, -2.0, 2.0, -3.0, 3.0})
        if (!covers(boxAt(step * lh), step != 0)) {
            dy = step * lh;
            break;
        }
    m_roleLabels.push_back(boxAt(dy));
    return {l.location.x, static_cast<int>(std::lround(l.location.y + dy))};
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
