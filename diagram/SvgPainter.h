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

// Size a view of this kind has when the file stores none (Rose leaves defaults out).
std::pair<int, int> DefaultSize(const View& v);
Box BoxOf(const View& v);
// A coordinate as SVG text: whole numbers without a point, others to one decimal.
std::string Num(double v);
bool EqualsNoCase(const std::string& a, const char* b);
std::vector<std::string> SplitLines(const std::string& text);
// Breaks text at blanks so that no line is wider than `maxWidth` at an average letter width;
// a label the modeling tool kept on one line stays on one line.
std::vector<std::string> Wrap(const std::string& text, double maxWidth, double fontPx, int nlines = 0);

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
    void Text(double x, double y, const std::string& text, const Font& font, const Font& fallback, const char* anchor,
              const char* cls, bool bold = false, bool italic = false, bool underline = false);
    // A label at its stored place: the place is the top of its first line, centred or
    // left-justified at the stored width.
    void LabelText(const Label& l, const std::vector<std::string>& lines, const View& v, const char* cls,
                   bool underline = false, bool centreAtPlace = false);
    std::string Style(const View& v, const char* fill = nullptr) const;
    std::string Name(const View& v) const;
    void NameAt(const View& v, const Box& b, bool below, const char* cls = "name");
    void Open(const View& v, const char* cls);
    void Close() { m_out += m_link ? "</g></a>\n" : "</g>\n"; }
    void Rect(const Box& b, const std::string& style, const char* cls = "box", double rx = 0);
    void Path(const std::string& d, const std::string& style, const char* cls = "shape");

    // SvgShapes.cpp
    void Shape(const View& v);
    void ClassShape(const View& v);
    void Actor(const View& v, const Box& b);
    // Activity lanes have a width only: they stand side by side from the left edge, as
    // high as the diagram, behind everything else.
    void Swimlanes();

    // SvgLines.cpp
    void Line(const View& v);
    // Where a line meets the outline of the view at one of its ends.
    std::pair<double, double> Attach(const View& v, double towardX, double towardY) const;
    void Head(const std::vector<std::pair<double, double>>& pts, bool atEnd, const char* kind, const std::string& colour);
    // The bar of a shared inheritance tree: across the ends of the lines drawn to it, joined
    // to the stem that rises to the superclass.
    void TreeBar(const View& tree, const std::pair<double, double>& stem);
    // Aggregation diamonds and navigability arrows at the class end of a role.
    void RoleEnds(const View& v, const std::vector<std::pair<double, double>>& pts, const std::string& colour);

    const Diagram& m_d;
    const DiagramSet& m_set;
    const SvgOptions& m_o;
    std::string m_out;
    bool m_link = false;
    double m_minX = 1e18, m_minY = 1e18, m_maxX = -1e18, m_maxY = -1e18;
};

} // namespace VexloDiagram::Svg
