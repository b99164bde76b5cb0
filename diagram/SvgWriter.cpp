#include "SvgPainter.h"

#include "MemberText.h"
#include "RoseModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace VexloDiagram::Svg {

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

std::string Painter::Run()
{
    for (const View& v : m_d.views)
        if (!v.IsLine() && v.shape != Shape::Swimlane)
            DrawShape(v);
    // Lines over boxes, as the modeling tool draws them.
    for (const View& v : m_d.views)
        if (v.IsLine())
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
            Num(std::round(h * m_o.scale)) + "\" font-family=\"Arial, 'Liberation Sans', Helvetica, 'WenQuanYi Micro Hei', sans-serif\" data-diagram=\"" +
            XmlEscape(m_d.type) + "\">\n<title>" + XmlEscape(m_d.title.empty() ? m_d.name : m_d.title) +
            "</title>\n<rect class=\"background\" x=\"" + Num(m_minX - pad) + "\" y=\"" + Num(m_minY - pad) +
            "\" width=\"" + Num(w) + "\" height=\"" + Num(h) + "\" fill=\"#ffffff\"/>\n";
    return head + m_out + "</svg>\n";
}

void Painter::Grow(double x, double y)
{
    m_minX = std::min(m_minX, x);
    m_minY = std::min(m_minY, y);
    m_maxX = std::max(m_maxX, x);
    m_maxY = std::max(m_maxY, y);
}

void Painter::Grow(const Box& b)
{
    Grow(b.x, b.y);
    Grow(b.x + b.w, b.y + b.h);
}

double Painter::FontPx(const Font& f, const Font& fallback)
{
    const int pt = f.size > 0 ? f.size : fallback.size > 0 ? fallback.size : kDefaultPoints;
    return pt * kUnitsPerPoint;
}

std::string Painter::Style(const View& v, const char* fill) const
{
    return " fill=\"" + (fill ? std::string(fill) : ColorOf(v.fillColor, "#ffffcc")) + "\" stroke=\"" +
           ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"3\"";
}

std::string Painter::Name(const View& v) const
{
    if (!v.labels.empty() && !v.labels[0].text.empty())
        return v.labels[0].text;
    if (v.element && !v.element->name.empty())
        return Utf8(v.element->name);
    if (auto it = m_set.otherNames.find(v.quidu); it != m_set.otherNames.end() && !v.quidu.empty() && !it->second.empty())
        return it->second;
    if (auto it = m_set.objectClasses.find(v.quidu); it != m_set.objectClasses.end() && !v.quidu.empty())
        return ":" + it->second; // an anonymous object
    if (v.shape == Shape::Lifeline || v.shape == Shape::Object)
        return std::string();
    size_t sep = v.qualified.rfind("::");
    return sep == std::string::npos ? v.qualified : v.qualified.substr(sep + 2);
}

void Painter::NameAt(const View& v, const Box& b, bool below, const char* cls)
{
    const std::string name = Name(v);
    if (!v.labels.empty() && v.labels[0].hasLocation) {
        Label l = v.labels[0];
        l.text = name;
        LabelText(l, Wrap(name, l.maxWidth > 0 ? l.maxWidth : b.w, FontPx(l.font, v.font), l.nlines), v, cls, false,
                  below || l.maxWidth <= 0);
    } else {
        const double px = FontPx(v.font, v.font);
        Text(b.cx(), below ? b.y + b.h + px : b.y + kPad + px, name, v.font, v.font, "middle", cls);
    }
}

void Painter::Open(const View& v, const char* cls)
{
    std::string link;
    if (v.element && v.element->kind == ElementKind::Class && m_o.classLink)
        link = m_o.classLink(static_cast<const Class&>(*v.element));
    m_link = !link.empty();
    if (m_link)
        m_out += "<a href=\"" + XmlEscape(link) + "\">";
    m_out += "<g class=\"" + std::string(cls) + "\" data-view=\"" + XmlEscape(v.type) + "\" data-line=\"" +
             std::to_string(v.line) + "\"" + (v.quidu.empty() ? "" : " data-id=\"" + XmlEscape(v.quidu) + "\"") +
             (m_o.viewAttributes ? m_o.viewAttributes(v) : std::string()) + ">\n";
}

void Painter::Rect(const Box& b, const std::string& style, const char* cls, double rx)
{
    m_out += "<rect class=\"" + std::string(cls) + "\" x=\"" + Num(b.x) + "\" y=\"" + Num(b.y) + "\" width=\"" +
             Num(b.w) + "\" height=\"" + Num(b.h) + "\"" + (rx > 0 ? " rx=\"" + Num(rx) + "\"" : "") + style + "/>\n";
    Grow(b);
}

void Painter::Path(const std::string& d, const std::string& style, const char* cls)
{
    m_out += "<path class=\"" + std::string(cls) + "\" d=\"" + d + "\"" + style + "/>\n";
}

void Painter::Text(double x, double y, const std::string& text, const Font& font, const Font& fallback, const char* anchor,
                   const char* cls, bool bold, bool italic, bool underline, double fit)
{
    const double px = FontPx(font, fallback);
    const Font& f = font.size > 0 || !font.face.empty() ? font : fallback;
    m_out += "<text class=\"" + std::string(cls) + "\" x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" +
             Num(px) + "\"";
    if (!f.face.empty())
        m_out += " font-family=\"" + XmlEscape(f.face) + ", Arial, 'Liberation Sans', 'WenQuanYi Micro Hei', sans-serif\"";
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
    double width = TextWidth(text, px, bold || f.bold);
    // A negative fit squeezes only a line a little too wide: the tool keeps a short label on
    // one line whatever width it stored for it (0..* with a max_width of 15).
    if ((fit > 0 && width > fit) || (fit < 0 && width > -fit && width <= -fit * 1.25)) {
        fit = std::fabs(fit);
        // Wider than the place the modeling tool measured for it: squeezed, not cut.
        m_out += " textLength=\"" + Num(std::round(fit)) + "\" lengthAdjust=\"spacingAndGlyphs\"";
        width = fit;
    }
    m_out += '>';
    m_out += XmlEscape(text);
    m_out += "</text>\n";
    const double left = std::string(anchor) == "middle" ? x - width / 2 : std::string(anchor) == "end" ? x - width : x;
    Grow(left, y - px);
    Grow(left + width, y + px * 0.3);
}

void Painter::LabelText(const Label& l, const std::vector<std::string>& lines, const View& v, const char* cls, bool underline,
                        bool centreAtPlace, bool bold)
{
    const double px = FontPx(l.font, v.font), lh = px * 1.2;
    centreAtPlace = centreAtPlace || l.anchorLoc >= 0;
    const bool centre = l.justify != 1 && l.justify != 2;
    const double maxWidth = std::max(l.maxWidth, 0);
    const double x = centreAtPlace || !maxWidth ? l.location.x
                     : centre                  ? l.location.x + maxWidth / 2.0
                     : l.justify == 2          ? l.location.x + maxWidth
                                               : l.location.x;
    const char* anchor = centreAtPlace || centre ? "middle" : l.justify == 2 ? "end" : "start";
    // Anchored: the block's middle at the place (a line's middle is about 0.35 em above
    // its baseline); otherwise the place is the top of the first line.
    double y = centreAtPlace ? l.location.y - lh * static_cast<double>(lines.size()) / 2 + lh / 2 + px * 0.35
                             : l.location.y + px * 0.9;
    for (const std::string& line : lines) {
        Text(x, y, line, l.font, v.font, anchor, cls, bold, false, underline, lines.size() > 1 ? maxWidth : -maxWidth);
        y += lh;
    }
}
} // namespace VexloDiagram::Svg

namespace VexloDiagram {

using namespace Svg;


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
