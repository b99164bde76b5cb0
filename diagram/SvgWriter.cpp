#include "SvgWriter.h"

#include "MemberText.h"
#include "RoseModel.h"
#include "diagrams/DiagramReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace VexloDiagram {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

namespace {

constexpr double kUnitsPerPoint = 300.0 / 72.0; // the file's unit is about 1/300 inch
constexpr int kDefaultPoints = 10;
constexpr int kPad = 12;

struct Box {
    double x = 0, y = 0, w = 0, h = 0;
    double cx() const { return x + w / 2; }
    double cy() const { return y + h / 2; }
};

// Size a view of this kind has when the file stores none (Rose leaves defaults out).
std::pair<int, int> DefaultSize(const View& v)
{
    if (v.type == "UseCaseView")
        return {v.height > 0 ? v.height * 3 / 2 : 180, v.height > 0 ? v.height : 120};
    if (v.type == "ClassView" && !v.icon.empty())
        return {120, 162};
    if (v.type == "DecisionView")
        return {100, 100};
    if (v.type == "SynchronizationView")
        return {300, 24};
    if (v.type == "StartStateView" || v.type == "EndStateView")
        return {50, 50};
    if (v.type == "StateView" || v.type == "ActivityStateView")
        return {300, 130};
    return {300, 150};
}

Box BoxOf(const View& v)
{
    auto [dw, dh] = DefaultSize(v);
    const double w = v.width > 0 ? v.width : dw;
    const double h = v.height > 0 && v.type != "InterObjView" ? v.height : dh;
    return {v.location.x - w / 2, v.location.y - h / 2, w, h};
}

std::string Num(double v)
{
    char buf[32];
    if (std::fabs(v - std::round(v)) < 1e-9)
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

bool EqualsNoCase(const std::string& a, const char* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && !b[i];
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Breaks text at blanks so that no line is wider than `maxWidth` at an average letter width;
// a label the modeling tool kept on one line stays on one line.
std::vector<std::string> Wrap(const std::string& text, double maxWidth, double fontPx, int nlines = 0)
{
    if (nlines == 1)
        return SplitLines(text);
    const size_t perLine = std::max<size_t>(8, static_cast<size_t>(maxWidth / (fontPx * 0.5)));
    std::vector<std::string> out;
    for (const std::string& para : SplitLines(text)) {
        std::string line, word;
        std::istringstream words(para);
        while (words >> word) {
            if (!line.empty() && line.size() + 1 + word.size() > perLine) {
                out.push_back(line);
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        out.push_back(line);
    }
    return out;
}

class Painter {
public:
    Painter(const Diagram& d, const DiagramSet& set, const SvgOptions& o) : m_d(d), m_set(set), m_o(o) {}

    std::string Run()
    {
        for (size_t i = 0; i < m_d.views.size(); ++i)
            if (!IsLineView(m_d.views[i].type) && m_d.views[i].type != "Swimlane")
                Shape(m_d.views[i]);
        // Lines over boxes, as the modeling tool draws them.
        for (const View& v : m_d.views)
            if (IsLineView(v.type))
                Line(v);
        if (m_minX > m_maxX) {
            m_minX = m_minY = 0;
            m_maxX = m_maxY = 100;
        }
        Swimlanes();
        const double pad = 40;
        const double w = m_maxX - m_minX + 2 * pad, h = m_maxY - m_minY + 2 * pad;
        std::string head = m_o.inlined ? "" : "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        head += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + Num(m_minX - pad) + " " + Num(m_minY - pad) +
                " " + Num(w) + " " + Num(h) + "\" width=\"" + Num(std::round(w * m_o.scale)) + "\" height=\"" +
                Num(std::round(h * m_o.scale)) + "\" font-family=\"Arial, 'Liberation Sans', Helvetica, sans-serif\" data-diagram=\"" +
                XmlEscape(m_d.type) + "\">\n<title>" + XmlEscape(m_d.title.empty() ? m_d.name : m_d.title) +
                "</title>\n<rect class=\"background\" x=\"" + Num(m_minX - pad) + "\" y=\"" + Num(m_minY - pad) +
                "\" width=\"" + Num(w) + "\" height=\"" + Num(h) + "\" fill=\"#ffffff\"/>\n";
        return head + m_out + "</svg>\n";
    }

private:
    void Grow(double x, double y)
    {
        m_minX = std::min(m_minX, x);
        m_minY = std::min(m_minY, y);
        m_maxX = std::max(m_maxX, x);
        m_maxY = std::max(m_maxY, y);
    }
    void Grow(const Box& b)
    {
        Grow(b.x, b.y);
        Grow(b.x + b.w, b.y + b.h);
    }

    static double FontPx(const Font& f, const Font& fallback)
    {
        const int pt = f.size > 0 ? f.size : fallback.size > 0 ? fallback.size : kDefaultPoints;
        return pt * kUnitsPerPoint;
    }

    // A text at (x, y) = left, centre or right of its first baseline.
    void Text(double x, double y, const std::string& text, const Font& font, const Font& fallback, const char* anchor,
              const char* cls, bool bold = false, bool italic = false, bool underline = false)
    {
        const double px = FontPx(font, fallback);
        const Font& f = font.size > 0 || !font.face.empty() ? font : fallback;
        m_out += "<text class=\"" + std::string(cls) + "\" x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" +
                 Num(px) + "\"";
        if (!f.face.empty())
            m_out += " font-family=\"" + XmlEscape(f.face) + ", Arial, 'Liberation Sans', sans-serif\"";
        if (std::string(anchor) != "start")
            m_out += " text-anchor=\"" + std::string(anchor) + "\"";
        if (bold || f.bold)
            m_out += " font-weight=\"bold\"";
        if (italic || f.italics)
            m_out += " font-style=\"italic\"";
        if (underline || f.underline)
            m_out += " text-decoration=\"underline\"";
        if (f.color >= 0)
            m_out += " fill=\"" + ColorOf(f.color, "#000000") + "\"";
        m_out += ">" + XmlEscape(text) + "</text>\n";
        const double width = static_cast<double>(text.size()) * px * 0.5;
        const double left = std::string(anchor) == "middle" ? x - width / 2 : std::string(anchor) == "end" ? x - width : x;
        Grow(left, y - px);
        Grow(left + width, y + px * 0.3);
    }

    // A label at its stored place: the place is the top of its first line, centred or
    // left-justified at the stored width.
    void LabelText(const Label& l, const std::vector<std::string>& lines, const View& v, const char* cls,
                   bool underline = false, bool centreAtPlace = false)
    {
        const double px = FontPx(l.font, v.font);
        centreAtPlace = centreAtPlace || l.anchorLoc >= 0;
        const bool centre = l.justify != 1 && l.justify != 2;
        const double x = centreAtPlace || !l.maxWidth ? l.location.x
                         : centre                     ? l.location.x + l.maxWidth / 2.0
                         : l.justify == 2             ? l.location.x + l.maxWidth
                                                      : l.location.x;
        const char* anchor = centreAtPlace || centre ? "middle" : l.justify == 2 ? "end" : "start";
        double y = l.location.y + px * 0.9;
        for (const std::string& line : lines) {
            Text(x, y, line, l.font, v.font, anchor, cls, false, false, underline);
            y += px * 1.2;
        }
    }

    std::string Style(const View& v, const char* fill = nullptr) const
    {
        return " fill=\"" + (fill ? std::string(fill) : ColorOf(v.fillColor, "#ffffcc")) + "\" stroke=\"" +
               ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"3\"";
    }

    std::string Name(const View& v) const
    {
        if (!v.labels.empty() && !v.labels[0].text.empty())
            return v.labels[0].text;
        if (v.element && !v.element->name.empty())
            return Utf8(v.element->name);
        if (auto it = m_set.otherNames.find(v.quidu); it != m_set.otherNames.end() && !v.quidu.empty())
            return it->second;
        size_t sep = v.qualified.rfind("::");
        return sep == std::string::npos ? v.qualified : v.qualified.substr(sep + 2);
    }

    void NameAt(const View& v, const Box& b, bool below, const char* cls = "name")
    {
        const std::string name = Name(v);
        if (!v.labels.empty() && v.labels[0].hasLocation) {
            Label l = v.labels[0];
            l.text = name;
            LabelText(l, Wrap(name, l.maxWidth ? l.maxWidth : b.w, FontPx(l.font, v.font), l.nlines), v, cls, false,
                      below || !l.maxWidth);
        } else {
            const double px = FontPx(v.font, v.font);
            Text(b.cx(), below ? b.y + b.h + px : b.y + kPad + px, name, v.font, v.font, "middle", cls);
        }
    }

    void Open(const View& v, const char* cls)
    {
        std::string link;
        if (v.element && v.element->kind == ElementKind::Class && m_o.classLink)
            link = m_o.classLink(static_cast<const Class&>(*v.element));
        m_link = !link.empty();
        if (m_link)
            m_out += "<a href=\"" + XmlEscape(link) + "\">";
        m_out += "<g class=\"" + std::string(cls) + "\" data-view=\"" + v.type + "\" data-line=\"" +
                 std::to_string(v.line) + "\">\n";
    }
    void Close() { m_out += m_link ? "</g></a>\n" : "</g>\n"; }

    void Rect(const Box& b, const std::string& style, const char* cls = "box", double rx = 0)
    {
        m_out += "<rect class=\"" + std::string(cls) + "\" x=\"" + Num(b.x) + "\" y=\"" + Num(b.y) + "\" width=\"" +
                 Num(b.w) + "\" height=\"" + Num(b.h) + "\"" + (rx > 0 ? " rx=\"" + Num(rx) + "\"" : "") + style + "/>\n";
        Grow(b);
    }
    void Path(const std::string& d, const std::string& style, const char* cls = "shape")
    {
        m_out += "<path class=\"" + std::string(cls) + "\" d=\"" + d + "\"" + style + "/>\n";
    }

    void Actor(const View& v, const Box& b)
    {
        const std::string style = " fill=\"none\" stroke=\"" + ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"4\"";
        const double cx = b.cx(), top = b.y, h = b.h, r = h * 0.13;
        m_out += "<circle class=\"actor\" cx=\"" + Num(cx) + "\" cy=\"" + Num(top + r) + "\" r=\"" + Num(r) + "\"" +
                 Style(v) + "/>\n";
        Path("M" + Num(cx) + " " + Num(top + 2 * r) + "V" + Num(top + h * 0.62) + "M" + Num(b.x) + " " +
                 Num(top + h * 0.4) + "H" + Num(b.x + b.w) + "M" + Num(b.x + b.w * 0.1) + " " + Num(top + h) + "L" +
                 Num(cx) + " " + Num(top + h * 0.62) + "L" + Num(b.x + b.w * 0.9) + " " + Num(top + h),
             style);
        Grow(b);
    }

    void ClassShape(const View& v)
    {
        const Class* cls = v.element && v.element->kind == ElementKind::Class ? static_cast<const Class*>(v.element) : nullptr;
        std::string stereotype = cls ? Utf8(cls->stereotype) : std::string();
        if (stereotype.empty() && v.stereotypeLabel.text.size() > 4)
            stereotype = v.stereotypeLabel.text.substr(2, v.stereotypeLabel.text.size() - 4);
        Box b = BoxOf(v);
        Open(v, "class");
        const bool icon = v.iconStyle == "Icon";
        if (!v.icon.empty() || (icon && EqualsNoCase(stereotype, "actor"))) {
            b = {v.location.x - 60.0, v.location.y - 81.0, 120, 162};
            Actor(v, b);
            NameAt(v, b, true);
            return Close();
        }
        if (icon && (EqualsNoCase(stereotype, "boundary") || EqualsNoCase(stereotype, "control") ||
                     EqualsNoCase(stereotype, "entity"))) {
            const double r = 55, cx = v.location.x, cy = v.location.y;
            const Box icon{cx - r, cy - r, 2 * r, 2 * r};
            m_out += "<circle class=\"icon " + stereotype + "\" cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"" +
                     Num(r) + "\"" + Style(v) + "/>\n";
            const std::string line = " fill=\"none\" stroke=\"" + ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"3\"";
            if (EqualsNoCase(stereotype, "boundary"))
                Path("M" + Num(cx - r) + " " + Num(cy) + "H" + Num(cx - r - 30) + "M" + Num(cx - r - 30) + " " +
                         Num(cy - r) + "V" + Num(cy + r),
                     line);
            else if (EqualsNoCase(stereotype, "control"))
                Path("M" + Num(cx + 12) + " " + Num(cy - r - 14) + "L" + Num(cx - 8) + " " + Num(cy - r) + "L" +
                         Num(cx + 12) + " " + Num(cy - r + 14),
                     line);
            else
                Path("M" + Num(cx - r) + " " + Num(cy + r) + "H" + Num(cx + r), line);
            Grow({icon.x - 30, icon.y - 14, icon.w + 30, icon.h + 14});
            NameAt(v, icon, true);
            return Close();
        }
        Rect(b, Style(v));
        // Name compartment: the name (italic when abstract) at its label's place, the
        // «stereotype» at its own place or on the line above the name.
        const double px = FontPx(v.font, v.font), lh = px * 1.2;
        const Label* label = v.labels.empty() ? nullptr : &v.labels[0];
        const bool showStereotype = !stereotype.empty() && v.Flag("ShowCompartmentStereotypes", true);
        double y = label && label->hasLocation ? label->location.y : b.y + kPad + (showStereotype ? lh : 0);
        const double nameX = label && label->hasLocation && label->maxWidth ? label->location.x + label->maxWidth / 2.0 : b.cx();
        if (showStereotype) {
            const Label& s = v.stereotypeLabel;
            Text(s.hasLocation && s.maxWidth ? s.location.x + s.maxWidth / 2.0 : nameX,
                 s.hasLocation ? s.location.y + px * 0.9 : y + px * 0.9 - lh, "\xC2\xAB" + stereotype + "\xC2\xBB", v.font,
                 v.font, "middle", "stereotype");
        }
        const std::string name = Name(v);
        for (const std::string& line : Wrap(name, label && label->maxWidth ? label->maxWidth : b.w, px, label ? label->nlines : 0)) {
            Text(nameX, y + px * 0.9, line, v.font, v.font, "middle", "name", true, cls && cls->isAbstract);
            y += lh;
        }
        y += kPad / 2.0;
        if (!cls)
            return Close();
        // Attribute and operation compartments as the view says.
        auto compartment = [&](const char* include, const char* suppress, auto&& lines) {
            if (v.Flag(suppress, false))
                return;
            Path("M" + Num(b.x) + " " + Num(y) + "H" + Num(b.x + b.w), Style(v, "none"), "separator");
            y += kPad / 2.0;
            if (v.Flag(include, true))
                lines();
            y += kPad / 2.0;
        };
        compartment("IncludeAttribute", "SuppressAttribute", [&] {
            for (const Attribute* a : cls->attributes) {
                Text(b.x + kPad, y + px * 0.9, std::string(VisibilityMark(a->exportControl)) + AttributeText(*a), v.font,
                     v.font, "start", "attribute", false, false, a->isStatic);
                y += lh;
            }
        });
        compartment("IncludeOperation", "SuppressOperation", [&] {
            const bool signature = v.Flag("ShowOperationSignature", false);
            for (const Operation* o : cls->operations) {
                Text(b.x + kPad, y + px * 0.9, std::string(VisibilityMark(o->exportControl)) + OperationText(*o, signature),
                     v.font, v.font, "start", "operation", false, o->isAbstract, o->isStatic);
                y += lh;
            }
        });
        Close();
    }

    void Shape(const View& v)
    {
        if (!v.hasLocation)
            return;
        const Box b = BoxOf(v);
        const std::string& t = v.type;
        if (t == "ClassView")
            return ClassShape(v);
        if (t == "Focus_Of_Control") {
            Open(v, "focus");
            Rect({v.location.x - 15.0, static_cast<double>(v.location.y), 30, static_cast<double>(std::max(v.height, 1))},
                 Style(v, "#ffffff"), "activation");
            return Close();
        }
        if (t == "NoteView") {
            Open(v, "note");
            const double f = 40;
            Path("M" + Num(b.x) + " " + Num(b.y) + "H" + Num(b.x + b.w - f) + "L" + Num(b.x + b.w) + " " + Num(b.y + f) +
                     "V" + Num(b.y + b.h) + "H" + Num(b.x) + "Z",
                 Style(v), "box");
            Path("M" + Num(b.x + b.w - f) + " " + Num(b.y) + "V" + Num(b.y + f) + "H" + Num(b.x + b.w), Style(v, "none"),
                 "fold");
            Grow(b);
            if (!v.labels.empty()) {
                const Label& l = v.labels[0];
                Label at = l;
                if (!at.hasLocation)
                    at.location = {static_cast<int>(b.x + kPad), static_cast<int>(b.y + kPad)};
                LabelText(at, Wrap(l.text, l.maxWidth ? l.maxWidth : b.w - 2 * kPad, FontPx(l.font, v.font)), v, "note-text");
            }
            return Close();
        }
        if (t == "CategoryView" || t == "SubSysView") {
            Open(v, t == "CategoryView" ? "package" : "subsystem");
            const double tab = std::min(b.h / 5, 60.0);
            Rect({b.x, b.y, b.w * 0.4, tab}, Style(v), "tab");
            Rect({b.x, b.y + tab, b.w, b.h - tab}, Style(v));
            NameAt(v, b, false);
            return Close();
        }
        if (t == "ModView") {
            Open(v, "component");
            Rect(b, Style(v));
            for (double f : {0.25, 0.6})
                Rect({b.x - 20, b.y + b.h * f, 40, b.h * 0.15}, Style(v), "port");
            NameAt(v, b, false);
            return Close();
        }
        if (t == "UseCaseView") {
            Open(v, "usecase");
            m_out += "<ellipse class=\"box\" cx=\"" + Num(b.cx()) + "\" cy=\"" + Num(b.cy()) + "\" rx=\"" + Num(b.w / 2) +
                     "\" ry=\"" + Num(b.h / 2) + "\"" + Style(v) + "/>\n";
            Grow(b);
            NameAt(v, b, true);
            return Close();
        }
        if (t == "InterObjView") {
            Open(v, "lifeline");
            const double top = v.location.y - 45.0;
            const double bottom = v.location.y + std::max(v.height, 200);
            if (!v.icon.empty()) {
                Actor(v, {v.location.x - 40.0, top - 120, 80, 160});
            } else {
                const double w = std::max<double>(v.width > 0 ? v.width : 300, Name(v).size() * FontPx(v.font, v.font) * 0.55 + 2 * kPad);
                Rect({v.location.x - w / 2, top, w, 90}, Style(v));
            }
            Path("M" + Num(v.location.x) + " " + Num(top + 90) + "V" + Num(bottom), Style(v, "none") +
                 " stroke-dasharray=\"20 12\"", "lifeline-line");
            Grow(v.location.x, bottom);
            NameAt(v, {v.location.x - 150.0, top, 300, 90}, false, "name");
            return Close();
        }
        if (t == "DecisionView") {
            Open(v, "decision");
            Path("M" + Num(b.cx()) + " " + Num(b.y) + "L" + Num(b.x + b.w) + " " + Num(b.cy()) + "L" + Num(b.cx()) + " " +
                     Num(b.y + b.h) + "L" + Num(b.x) + " " + Num(b.cy()) + "Z",
                 Style(v), "box");
            Grow(b);
            if (!v.labels.empty() && v.labels[0].hasLocation)
                NameAt(v, b, true);
            return Close();
        }
        if (t == "Destruction_Marker") {
            Open(v, "destruction");
            const double x = v.location.x, y = v.location.y, r = 30;
            Path("M" + Num(x - r) + " " + Num(y - r) + "L" + Num(x + r) + " " + Num(y + r) + "M" + Num(x + r) + " " +
                     Num(y - r) + "L" + Num(x - r) + " " + Num(y + r),
                 Style(v, "none"), "cross");
            Grow({x - r, y - r, 2 * r, 2 * r});
            return Close();
        }
        if (t == "StateView" && (v.kindName == "StartState" || v.kindName == "EndState")) {
            Open(v, v.kindName == "StartState" ? "start" : "end");
            const double r = 25;
            const std::string circle = "<circle class=\"box\" cx=\"" + Num(v.location.x) + "\" cy=\"" + Num(v.location.y) + "\" r=\"";
            if (v.kindName == "EndState")
                m_out += circle + Num(r + 12) + "\"" + Style(v, "#ffffff") + "/>\n";
            m_out += circle + Num(r) + "\"" + Style(v, "#000000") + "/>\n";
            Grow({v.location.x - r - 12, v.location.y - r - 12, 2 * r + 24, 2 * r + 24});
            return Close();
        }
        if (t == "SynchronizationView" || t == "StartStateView") {
            Open(v, t == "StartStateView" ? "start" : "synchronization");
            Rect(b, Style(v, "#000000"), "box", t == "StartStateView" ? b.w / 2 : 0);
            return Close();
        }
        const bool known = IsKnownView(t);
        Open(v, known ? "node" : "unknown");
        const double rx = t == "StateView" ? 30 : t == "ActivityStateView" ? b.h / 2 : 0;
        Rect(b, Style(v) + (known ? "" : " stroke-dasharray=\"12 8\""), "box", rx);
        if (t == "ProcessorView")
            Path("M" + Num(b.x) + " " + Num(b.y) + "l30 -30H" + Num(b.x + b.w + 30) + "V" + Num(b.y + b.h - 30) + "l-30 30M" +
                     Num(b.x + b.w) + " " + Num(b.y) + "l30 -30",
                 Style(v, "none"), "depth");
        NameAt(v, b, false, t == "ObjectView" ? "name object" : "name");
        if (!known)
            Text(b.cx(), b.y + b.h - kPad, "(" + t + ")", {}, v.font, "middle", "kind");
        Close();
    }

    // Activity lanes have a width only: they stand side by side from the left edge, as
    // high as the diagram, behind everything else.
    void Swimlanes()
    {
        std::string body;
        std::swap(body, m_out);
        double x = 0;
        const double top = std::min(m_minY, 0.0), bottom = m_maxY + 40;
        for (const View& v : m_d.views) {
            if (v.type != "Swimlane")
                continue;
            const double w = v.width > 0 ? v.width : 600;
            Open(v, "swimlane");
            Rect({x, top, w, bottom - top}, Style(v, "none"), "lane");
            Text(x + w / 2, top + 60, Name(v), v.font, v.font, "middle", "name", true);
            Close();
            x += w;
        }
        m_out += body;
    }

    // Where a line meets the outline of the view at one of its ends.
    std::pair<double, double> Attach(const View& v, double towardX, double towardY) const
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

    void Head(const std::vector<std::pair<double, double>>& pts, bool atEnd, const char* kind, const std::string& colour)
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
            d = "M" + at(0, 0) + "L" + at(size, size / 2) + "L" + at(size, -size / 2) + "Z";
            fill = "#ffffff";
        } else if (kindName == "open" || kindName == "filled") {
            d = "M" + at(size, size / 2.5) + "L" + at(0, 0) + "L" + at(size, -size / 2.5);
            if (kindName == "filled") {
                d += "Z";
                fill = colour;
            }
        } else {
            d = "M" + at(0, 0) + "L" + at(size, size / 2) + "L" + at(2 * size, 0) + "L" + at(size, -size / 2) + "Z";
            fill = kindName == "filled-diamond" ? colour : "#ffffff";
        }
        Path(d, " fill=\"" + fill + "\" stroke=\"" + colour + "\" stroke-width=\"3\"", kind);
    }

    void Line(const View& v)
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
    void TreeBar(const View& tree, const std::pair<double, double>& stem)
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
        Path("M" + Num(left) + " " + Num(y) + "H" + Num(right) + "M" + Num(stem.first) + " " + Num(y) + "V" +
                 Num(stem.second),
             " fill=\"none\" stroke=\"" + ColorOf(tree.lineColor, "#993333") + "\" stroke-width=\"3\"", "tree");
    }

    // Aggregation diamonds and navigability arrows at the class end of a role.
    void RoleEnds(const View& v, const std::vector<std::pair<double, double>>& pts, const std::string& colour)
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

    const Diagram& m_d;
    const DiagramSet& m_set;
    const SvgOptions& m_o;
    std::string m_out;
    bool m_link = false;
    double m_minX = 1e18, m_minY = 1e18, m_maxX = -1e18, m_maxY = -1e18;
};

} // namespace

std::string XmlEscape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters are not allowed in XML 1.0.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')
                out += ' ';
            else
                out += c;
        }
    }
    return out;
}

std::string ColorOf(int bgr, const char* fallback)
{
    if (bgr < 0)
        return fallback;
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return buf;
}

std::string RenderSvg(const Diagram& diagram, const DiagramSet& set, const SvgOptions& options)
{
    return Painter(diagram, set, options).Run();
}

} // namespace VexloDiagram
