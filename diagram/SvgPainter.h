// The painter behind RenderSvg, shared by the files that draw boxes (SvgShapes.cpp),
// lines (SvgLines.cpp) and the rest (SvgWriter.cpp). Internal to the diagram library.
#pragma once

#include "SvgWriter.h"

#include "RoseModel.h"

#include <string>
#include <utility>
#include <vector>

namespace VexloDiagram::Svg {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

constexpr double kUnitsPerPoint = 300.0 / 72.0; // the file's unit is about 1/300 inch
constexpr int kDefaultPoints = 10;
constexpr int kPad = 12;

struct Box {
    double x = 0, y = 0, w = 0, h = 0;
    double cx() const { return x + w / 2; }
    double cy() const { return y + h / 2; }
};

// Estimated width of a text line: Arial's average advance per letter, capitals wider,
// CJK characters a full em.
double TextWidth(const std::string& utf8, double fontPx, bool bold = false);
// Size a view of this kind has when the file stores none (Rose leaves defaults out).
std::pair<int, int> DefaultSize(const View& v);
Box BoxOf(const View& v);
// A coordinate as SVG text: whole numbers without a point, others to one decimal.
std::string Num(double v);
bool EqualsNoCase(const std::string& a, const char* b);
std::vector<std::string> SplitLines(const std::string& text);
// Breaks text into lines no wider than `maxWidth` (estimated): at blanks, between any two
// CJK characters, and inside an identifier too long for a line at a capital or after an
// underscore. The stored line breaks stay; with `nlines` > 0 there are at most that many
// lines (the last keeps the rest, to be squeezed into the width).
std::vector<std::string> Wrap(const std::string& text, double maxWidth, double fontPx, int nlines = 0, bool bold = false);
// The text cut with "\u2026" so that it fits `maxWidth`.
std::string Ellipsize(const std::string& text, double maxWidth, double fontPx);

// Draws one diagram: boxes first, then the lines over them, then the lanes behind all;
// the SVG's viewBox is what was drawn, with a margin.
class Painter {
public:
    Painter(const Diagram& d, const DiagramSet& set, const SvgOptions& o) : m_d(d), m_set(set), m_o(o) {}

    std::string Run();

private:
    // SvgWriter.cpp: text, labels, styles and the drawing primitives.
    void Grow(double x, double y);
    void Grow(const Box& b);
    static double FontPx(const Font& f, const Font& fallback);
    // A text at (x, y) = left, centre or right of its first baseline.
    // With `fit` > 0, a line estimated wider than `fit` is squeezed to that width.
    void Text(double x, double y, const std::string& text, const Font& font, const Font& fallback, const char* anchor,
              const char* cls, bool bold = false, bool italic = false, bool underline = false, double fit = 0);
    // A label at its stored place: the top of its first line, centred or justified in the
    // stored width; or, for labels anchored at their place (`centreAtPlace`, or a stored
    // anchor_loc), the middle of the text block.
    void LabelText(const Label& l, const std::vector<std::string>& lines, const View& v, const char* cls,
                   bool underline = false, bool centreAtPlace = false, bool bold = false);
    std::string Style(const View& v, const char* fill = nullptr) const;
    std::string Name(const View& v) const;
    void NameAt(const View& v, const Box& b, bool below, const char* cls = "name");
    void Open(const View& v, const char* cls);
    void Close() { m_out += m_link ? "</g></a>\n" : "</g>\n"; }
    void Rect(const Box& b, const std::string& style, const char* cls = "box", double rx = 0);
    void Path(const std::string& d, const std::string& style, const char* cls = "shape");

    // SvgShapes.cpp
    void DrawShape(const View& v);
    void Lifeline(const View& v);
    void Package(const View& v, const Box& b);
    void Swimlanes();

    // SvgClass.cpp: class boxes and the stereotypes' icons.
    void ClassShape(const View& v);
    void Members(const View& v, const Class& cls, const Box& b, double y);
    // Draws the icon of `symbol` (actor, boundary, control, entity, interface) into the box;
    // false when there is no icon of that name.
    bool Symbol(const View& v, const std::string& symbol, const Box& b);
    void Actor(const View& v, const Box& b);
    // SvgLines.cpp
    void Line(const View& v);
    std::vector<std::pair<double, double>> LinePoints(const View& v, const View* client, const View* supplier) const;
    void LineLabels(const View& v, const std::vector<std::pair<double, double>>& pts);
    // Where a line meets the outline of the view at one of its ends.
    std::pair<double, double> Attach(const View& v, double towardX, double towardY) const;
    void Head(const std::vector<std::pair<double, double>>& pts, bool atEnd, const char* kind, const std::string& colour);
    // The bar of a shared inheritance tree: across the ends of the lines drawn to it, joined
    // to the stem that rises to the superclass.
    void TreeBar(const View& tree, const std::pair<double, double>& stem);
    // Aggregation diamonds and navigability arrows at the class end of a role.
    void RoleEnds(const View& v, const std::vector<std::pair<double, double>>& pts, const std::string& colour);

    // A role label's place moved off the labels of roles placed before it.
    Point Unpiled(const Label& l, const View& v, const std::vector<std::string>& lines);

    const Diagram& m_d;
    std::vector<Box> m_roleLabels; // where role labels stand so far
    const DiagramSet& m_set;
    const SvgOptions& m_o;
    std::string m_out;
    bool m_link = false;
    double m_minX = 1e18, m_minY = 1e18, m_maxX = -1e18, m_maxY = -1e18;
};

} // namespace VexloDiagram::Svg
