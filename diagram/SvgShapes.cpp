// Boxes and icons other than classes: notes, packages, components, interfaces, use cases,
// lifelines, states and activities, nodes.
#include "SvgPainter.h"

#include <algorithm>
#include <cmath>

namespace VexloDiagram::Svg {

std::pair<int, int> DefaultSize(const View& v)
{
    switch (v.shape) {
    case Shape::UseCase: return {v.height > 0 ? v.height * 3 / 2 : 180, v.height > 0 ? v.height : 120};
    case Shape::Class: return v.icon.empty() ? std::pair{300, 150} : std::pair{120, 162};
    case Shape::Interface: return {58, 58};
    // Packages the tool left at their default size: the name's stored place lies 85 units
    // above the middle and 6 in from the left edge of a box of this size.
    case Shape::Package:
    case Shape::Subsystem: return {380, 180};
    case Shape::Decision: return {100, 100};
    case Shape::Synchronization: return {300, 24};
    case Shape::StartState: return {50, 50};
    case Shape::EndState: return {74, 74};
    case Shape::State:
    case Shape::ActivityState: return {300, 130};
    default: return {300, 150};
    }
}

Box BoxOf(const View& v)
{
    auto [dw, dh] = DefaultSize(v);
    const bool fixed = v.shape == Shape::StartState || v.shape == Shape::EndState;
    const double w = v.width > 0 && !fixed ? v.width : dw;
    const double h = v.height > 0 && !fixed && v.shape != Shape::Lifeline ? v.height : dh;
    return {v.location.x - w / 2, v.location.y - h / 2, w, h};
}

void Painter::DrawShape(const View& v)
{
    if (!v.hasLocation)
        return;
    const Box b = BoxOf(v);
    switch (v.shape) {
    case Shape::Class: return ClassShape(v);
    case Shape::Lifeline: return Lifeline(v);
    case Shape::Package:
    case Shape::Subsystem: return Package(v, b);
    case Shape::Focus: {
        // The activation bar stands on its lifeline.
        const View* life = v.parent >= 0 ? &m_d.views[static_cast<size_t>(v.parent)] : nullptr;
        const double x = life && life->hasLocation ? life->location.x : v.location.x;
        Open(v, "focus");
        Rect({x - 15.0, static_cast<double>(v.location.y), 30, static_cast<double>(std::max(v.height, 1))},
             Style(v, "#ffffff"), "activation");
        return Close();
    }
    case Shape::Note: {
        Open(v, "note");
        const double f = 40;
        Path(std::string("M") + Num(b.x) + " " + Num(b.y) + "H" + Num(b.x + b.w - f) + "L" + Num(b.x + b.w) + " " + Num(b.y + f) +
                 "V" + Num(b.y + b.h) + "H" + Num(b.x) + "Z",
             Style(v), "box");
        Path(std::string("M") + Num(b.x + b.w - f) + " " + Num(b.y) + "V" + Num(b.y + f) + "H" + Num(b.x + b.w), Style(v, "none"),
             "fold");
        Grow(b);
        if (!v.labels.empty()) {
            Label at = v.labels[0];
            if (!at.hasLocation)
                at.location = {static_cast<int>(b.x + kPad), static_cast<int>(b.y + kPad)};
            if (at.maxWidth <= 0)
                at.maxWidth = static_cast<int>(b.w - 2 * kPad);
            LabelText(at, Wrap(at.text, at.maxWidth, FontPx(at.font, v.font), at.nlines), v, "note-text");
        }
        return Close();
    }
    case Shape::Component: {
        Open(v, "component");
        Rect(b, Style(v));
        for (double f : {0.25, 0.6})
            Rect({b.x - 20, b.y + b.h * f, 40, b.h * 0.15}, Style(v), "port");
        NameAt(v, b, false);
        return Close();
    }
    case Shape::Interface: {
        Open(v, "interface");
        const double r = std::min(b.w, b.h) / 2;
        m_out += "<circle class=\"icon interface\" cx=\"" + Num(b.cx()) + "\" cy=\"" + Num(b.cy()) + "\" r=\"" + Num(r) + "\"" +
                 Style(v) + "/>\n";
        Grow(b);
        NameAt(v, b, true);
        return Close();
    }
    case Shape::UseCase: {
        Open(v, "usecase");
        const bool realization = v.icon == "use-case realization";
        m_out += "<ellipse class=\"box\" cx=\"" + Num(b.cx()) + "\" cy=\"" + Num(b.cy()) + "\" rx=\"" + Num(b.w / 2) +
                 "\" ry=\"" + Num(b.h / 2) + "\"" + Style(v) + (realization ? " stroke-dasharray=\"16 10\"" : "") + "/>\n";
        Grow(b);
        NameAt(v, b, true);
        return Close();
    }
    case Shape::Decision: {
        Open(v, "decision");
        Path(std::string("M") + Num(b.cx()) + " " + Num(b.y) + "L" + Num(b.x + b.w) + " " + Num(b.cy()) + "L" + Num(b.cx()) + " " +
                 Num(b.y + b.h) + "L" + Num(b.x) + " " + Num(b.cy()) + "Z",
             Style(v), "box");
        Grow(b);
        if (!v.labels.empty() && v.labels[0].hasLocation)
            NameAt(v, b, true);
        return Close();
    }
    case Shape::Destruction: {
        // The cross ends its object's lifeline.
        const View* life = v.parent >= 0 ? &m_d.views[static_cast<size_t>(v.parent)] : nullptr;
        const double x = life && life->hasLocation ? life->location.x : v.location.x, y = v.location.y, r = 30;
        Open(v, "destruction");
        Path(std::string("M") + Num(x - r) + " " + Num(y - r) + "L" + Num(x + r) + " " + Num(y + r) + "M" + Num(x + r) + " " +
                 Num(y - r) + "L" + Num(x - r) + " " + Num(y + r),
             Style(v, "none"), "cross");
        Grow({x - r, y - r, 2 * r, 2 * r});
        return Close();
    }
    case Shape::StartState:
    case Shape::EndState: {
        const bool end = v.shape == Shape::EndState;
        Open(v, end ? "end" : "start");
        const double r = 25;
        const std::string circle = "<circle class=\"box\" cx=\"" + Num(v.location.x) + "\" cy=\"" + Num(v.location.y) + "\" r=\"";
        if (end)
            m_out += circle + Num(r + 12) + "\"" + Style(v, "#ffffff") + "/>\n";
        m_out += circle + Num(r) + "\"" + Style(v, "#000000") + "/>\n";
        Grow(b);
        if (!v.labels.empty() && v.labels[0].hasLocation && !v.labels[0].text.empty())
            LabelText(v.labels[0], Wrap(v.labels[0].text, v.labels[0].maxWidth, FontPx(v.labels[0].font, v.font)), v, "name");
        return Close();
    }
    case Shape::Synchronization: {
        Open(v, "synchronization");
        Rect(b, Style(v, "#000000"), "box");
        return Close();
    }
    case Shape::FreeText: {
        if (v.labels.empty())
            return;
        Open(v, "text");
        const Label& l = v.labels[0];
        const double width = l.maxWidth > 0 ? l.maxWidth : TextWidth(l.text, FontPx(l.font, v.font)) + 1;
        LabelText(l, Wrap(l.text, width, FontPx(l.font, v.font), l.nlines), v, "free-text");
        return Close();
    }
    default: break;
    }
    const bool known = v.shape != Shape::Unknown;
    Open(v, known ? "node" : "unknown");
    const double rx = v.shape == Shape::State ? 30 : v.shape == Shape::ActivityState ? b.h / 2 : 0;
    Rect(b, Style(v) + (known ? "" : " stroke-dasharray=\"12 8\""), "box", rx);
    if (v.shape == Shape::Processor || v.shape == Shape::Device)
        Path(std::string("M") + Num(b.x) + " " + Num(b.y) + "l30 -30H" + Num(b.x + b.w + 30) + "V" + Num(b.y + b.h - 30) + "l-30 30M" +
                 Num(b.x + b.w) + " " + Num(b.y) + "l30 -30",
             Style(v, "none"), "depth");
    NameAt(v, b, false, v.shape == Shape::Object ? "name object" : "name");
    if (!known)
        Text(b.cx(), b.y + b.h - kPad, "(" + v.type + ")", {}, v.font, "middle", "kind");
    Close();
}

// An object of an interaction: its box (or its class's icon) at the top, the dashed
// lifeline down to its stored height or to the cross that destroys it.
void Painter::Lifeline(const View& v)
{
    Open(v, "lifeline");
    const double top = v.location.y - 45.0;
    double bottom = v.location.y + std::max(v.height, 200);
    const size_t self = static_cast<size_t>(&v - m_d.views.data());
    for (const View& m : m_d.views)
        if (m.shape == Shape::Destruction && m.parent == static_cast<int>(self) && m.hasLocation)
            bottom = m.location.y;
    std::string symbol = v.icon;
    for (char& c : symbol)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const bool icon = v.iconStyle != "Label" && v.iconStyle != "None" && !symbol.empty();
    double lineTop = top + 90;
    if (icon && symbol == "actor") {
        Actor(v, {v.location.x - 40.0, top - 120, 80, 160});
        lineTop = v.location.y + 45.0;
    } else if (icon && Symbol(v, symbol, {v.location.x - 77.0, top - 100, 154, 145})) {
        lineTop = v.location.y + 45.0;
    } else {
        const double w = std::max<double>(v.width > 0 ? v.width : 300, TextWidth(Name(v), FontPx(v.font, v.font)) + 2 * kPad);
        Rect({v.location.x - w / 2, top, w, 90}, Style(v));
    }
    Path(std::string("M") + Num(v.location.x) + " " + Num(lineTop) + "V" + Num(bottom), Style(v, "none") +
         " stroke-dasharray=\"20 12\"", "lifeline-line");
    Grow(v.location.x, bottom);
    NameAt(v, {v.location.x - 150.0, top, 300, 90}, false, "name");
    Close();
}

// A package: the folder with its name in the tab, which grows to hold the name.
void Painter::Package(const View& v, const Box& b)
{
    Open(v, v.shape == Shape::Package ? "package" : "subsystem");
    const std::string name = Name(v);
    const double px = FontPx(v.font, v.font), lh = px * 1.2;
    const Label* l = v.labels.empty() || !v.labels[0].hasLocation ? nullptr : &v.labels[0];
    const std::vector<std::string> lines = Wrap(name, l && l->maxWidth > 0 ? l->maxWidth : b.w - 2 * kPad, px, l ? l->nlines : 0);
    double textWidth = 0;
    for (const std::string& line : lines)
        textWidth = std::max(textWidth, TextWidth(line, px));
    const double textTop = l ? std::clamp<double>(l->location.y, b.y, b.y + b.h / 2) : b.y + kPad / 2.0;
    const double tab = std::min(b.h * 0.6, std::max(b.h / 5, textTop - b.y + lines.size() * lh + kPad / 2.0));
    const double tabWidth = std::min(b.w, std::max(b.w * 0.4, textWidth + 2 * kPad));
    Rect({b.x, b.y, tabWidth, tab}, Style(v), "tab");
    Rect({b.x, b.y + tab, b.w, b.h - tab}, Style(v));
    double y = textTop + px * 0.9;
    for (const std::string& line : lines) {
        Text(b.x + tabWidth / 2, y, line, v.font, v.font, "middle", "name", false, false, false, tabWidth - kPad);
        y += lh;
    }
    Close();
}

// Activity lanes have a width only: they stand side by side from the left edge, as
// high as the diagram, behind everything else.
void Painter::Swimlanes()
{
    std::string body;
    std::swap(body, m_out);
    double x = 0;
    const double top = std::min(m_minY, 0.0), bottom = m_maxY + 40;
    for (const View& v : m_d.views) {
        if (v.shape != Shape::Swimlane)
            continue;
        const double w = v.width > 0 ? v.width : 600;
        Open(v, "swimlane");
        Rect({x, top, w, bottom - top}, Style(v, "none"), "lane");
        Text(x + w / 2, top + 60, Name(v), v.font, v.font, "middle", "name", true, false, false, w - 2 * kPad);
        Close();
        x += w;
    }
    m_out += body;
}

} // namespace VexloDiagram::Svg
