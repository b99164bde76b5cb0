// Boxes and icons: classes, notes, packages, components, use cases, lifelines, states.
#include "SvgPainter.h"

#include "MemberText.h"
#include "diagrams/DiagramReader.h"

#include <algorithm>
#include <cmath>

namespace VexloDiagram::Svg {

void Painter::Actor(const View& v, const Box& b)
{
    const std::string style = " fill=\"none\" stroke=\"" + ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"4\"";
    const double cx = b.cx(), top = b.y, h = b.h, r = h * 0.13;
    m_out += "<circle class=\"actor\" cx=\"" + Num(cx) + "\" cy=\"" + Num(top + r) + "\" r=\"" + Num(r) + "\"" +
             Style(v) + "/>\n";
    // A std::string first: GCC 12 warns (-Wrestrict) on a literal + a temporary at -O2.
    Path(std::string("M") + Num(cx) + " " + Num(top + 2 * r) + "V" + Num(top + h * 0.62) + "M" + Num(b.x) + " " +
             Num(top + h * 0.4) + "H" + Num(b.x + b.w) + "M" + Num(b.x + b.w * 0.1) + " " + Num(top + h) + "L" +
             Num(cx) + " " + Num(top + h * 0.62) + "L" + Num(b.x + b.w * 0.9) + " " + Num(top + h),
         style);
    Grow(b);
}

void Painter::ClassShape(const View& v)
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
            Path(std::string("M") + Num(cx - r) + " " + Num(cy) + "H" + Num(cx - r - 30) + "M" + Num(cx - r - 30) + " " +
                     Num(cy - r) + "V" + Num(cy + r),
                 line);
        else if (EqualsNoCase(stereotype, "control"))
            Path(std::string("M") + Num(cx + 12) + " " + Num(cy - r - 14) + "L" + Num(cx - 8) + " " + Num(cy - r) + "L" +
                     Num(cx + 12) + " " + Num(cy - r + 14),
                 line);
        else
            Path(std::string("M") + Num(cx - r) + " " + Num(cy + r) + "H" + Num(cx + r), line);
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
        Path(std::string("M") + Num(b.x) + " " + Num(y) + "H" + Num(b.x + b.w), Style(v, "none"), "separator");
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

void Painter::Shape(const View& v)
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
        Path(std::string("M") + Num(b.x) + " " + Num(b.y) + "H" + Num(b.x + b.w - f) + "L" + Num(b.x + b.w) + " " + Num(b.y + f) +
                 "V" + Num(b.y + b.h) + "H" + Num(b.x) + "Z",
             Style(v), "box");
        Path(std::string("M") + Num(b.x + b.w - f) + " " + Num(b.y) + "V" + Num(b.y + f) + "H" + Num(b.x + b.w), Style(v, "none"),
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
        Path(std::string("M") + Num(v.location.x) + " " + Num(top + 90) + "V" + Num(bottom), Style(v, "none") +
             " stroke-dasharray=\"20 12\"", "lifeline-line");
        Grow(v.location.x, bottom);
        NameAt(v, {v.location.x - 150.0, top, 300, 90}, false, "name");
        return Close();
    }
    if (t == "DecisionView") {
        Open(v, "decision");
        Path(std::string("M") + Num(b.cx()) + " " + Num(b.y) + "L" + Num(b.x + b.w) + " " + Num(b.cy()) + "L" + Num(b.cx()) + " " +
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
        Path(std::string("M") + Num(x - r) + " " + Num(y - r) + "L" + Num(x + r) + " " + Num(y + r) + "M" + Num(x + r) + " " +
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
        Path(std::string("M") + Num(b.x) + " " + Num(b.y) + "l30 -30H" + Num(b.x + b.w + 30) + "V" + Num(b.y + b.h - 30) + "l-30 30M" +
                 Num(b.x + b.w) + " " + Num(b.y) + "l30 -30",
             Style(v, "none"), "depth");
    NameAt(v, b, false, t == "ObjectView" ? "name object" : "name");
    if (!known)
        Text(b.cx(), b.y + b.h - kPad, "(" + t + ")", {}, v.font, "middle", "kind");
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

} // namespace VexloDiagram::Svg
