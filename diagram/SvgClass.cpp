// Class views: a box with «stereotype», name and the compartments the view asks for, or
// the stereotype's icon, as the view's icon_style says.
#include "SvgPainter.h"

#include "MemberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace VexloDiagram::Svg {

namespace {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool HasSymbol(const std::string& symbol)
{
    return symbol == "actor" || symbol == "boundary" || symbol == "control" || symbol == "entity" || symbol == "interface";
}

} // namespace

void Painter::Actor(const View& v, const Box& b)
{
    const std::string style = " fill=\"none\" stroke=\"" + ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"4\"";
    // The figure keeps its proportions inside the box.
    const double h = std::min(b.h, b.w * 1.6), w = h / 1.6, x = b.cx() - w / 2, top = b.cy() - h / 2;
    const double cx = b.cx(), r = h * 0.13;
    m_out += "<circle class=\"actor\" cx=\"" + Num(cx) + "\" cy=\"" + Num(top + r) + "\" r=\"" + Num(r) + "\"" +
             Style(v) + "/>\n";
    // A std::string first: GCC 12 warns (-Wrestrict) on a literal + a temporary at -O2.
    Path(std::string("M") + Num(cx) + " " + Num(top + 2 * r) + "V" + Num(top + h * 0.62) + "M" + Num(x) + " " +
             Num(top + h * 0.4) + "H" + Num(x + w) + "M" + Num(x + w * 0.1) + " " + Num(top + h) + "L" +
             Num(cx) + " " + Num(top + h * 0.62) + "L" + Num(x + w * 0.9) + " " + Num(top + h),
         style);
    Grow(b);
}

bool Painter::Symbol(const View& v, const std::string& symbol, const Box& b)
{
    if (!HasSymbol(symbol))
        return false;
    if (symbol == "actor") {
        Actor(v, b);
        return true;
    }
    const std::string line = " fill=\"none\" stroke=\"" + ColorOf(v.lineColor, "#993333") + "\" stroke-width=\"3\"";
    // The circle first, its marks over it.
    const size_t circleAt = m_out.size();
    double r = std::min(b.w, b.h) / 2;
    double cx = b.cx();
    const double cy = b.cy();
    if (symbol == "boundary") {
        // The bar on the left, the circle on the right, joined at mid height.
        r = std::min(b.h / 2, b.w / 2.6);
        cx = b.x + b.w - r;
        Path(std::string("M") + Num(b.x) + " " + Num(cy - r) + "V" + Num(cy + r) + "M" + Num(b.x) + " " + Num(cy) + "H" +
                 Num(cx - r),
             line, "symbol");
    } else if (symbol == "control") {
        r = std::min(b.h / 2 - 6, b.w / 2);
        const double a = r * 0.3;
        Path(std::string("M") + Num(cx + a) + " " + Num(cy - r - a) + "L" + Num(cx - a / 2) + " " + Num(cy - r) + "L" +
                 Num(cx + a) + " " + Num(cy - r + a),
             line, "symbol");
    } else if (symbol == "entity") {
        r = std::min(b.h / 2 - 4, b.w / 2);
        Path(std::string("M") + Num(cx - r) + " " + Num(cy + r + 4) + "H" + Num(cx + r), line, "symbol");
    }
    m_out.insert(circleAt, "<circle class=\"icon " + symbol + "\" cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"" +
                               Num(r) + "\"" + Style(v) + "/>\n");
    Grow(b);
    return true;
}

void Painter::ClassShape(const View& v)
{
    const Class* cls = v.element && v.element->kind == ElementKind::Class ? static_cast<const Class*>(v.element) : nullptr;
    std::string stereotype = cls ? Utf8(cls->stereotype) : std::string();
    if (stereotype.empty() && v.stereotypeLabel.text.size() > 4)
        stereotype = v.stereotypeLabel.text.substr(2, v.stereotypeLabel.text.size() - 4);
    const std::string symbol = Lower(v.icon.empty() ? stereotype : v.icon);
    // A view that names an icon but no style was drawn as the icon (the tool's default).
    const std::string style = v.iconStyle.empty() ? (v.icon.empty() ? "Label" : "Icon") : v.iconStyle;
    Box b = BoxOf(v);
    Open(v, "class");
    if (style == "Icon" && HasSymbol(symbol)) {
        if (v.width <= 0 || v.height <= 0) {
            const double w = symbol == "interface" ? 58 : symbol == "actor" ? 120 : symbol == "boundary" ? 229 : 157;
            const double h = symbol == "interface" ? 58 : symbol == "actor" ? 162 : 153;
            b = {v.location.x - w / 2, v.location.y - h / 2, w, h};
        }
        Symbol(v, symbol, b);
        NameAt(v, b, true);
        return Close();
    }
    Rect(b, Style(v));
    if (style == "Decoration" && HasSymbol(symbol)) {
        // The small icon in the top right corner.
        const double s = std::min({60.0, b.w / 4, b.h / 3});
        Symbol(v, symbol, {b.x + b.w - s - 8, b.y + 8, s, s * (symbol == "actor" ? 1.3 : 1.0)});
    }
    // Name compartment: «stereotype» at its own place or on the line above the name, the
    // name (italic when abstract) at its label's place.
    const double px = FontPx(v.font, v.font), lh = px * 1.2;
    const Label* label = v.labels.empty() ? nullptr : &v.labels[0];
    const bool showStereotype = !stereotype.empty() && style != "Decoration" && v.Flag("ShowCompartmentStereotypes", true);
    double y = label && label->hasLocation ? label->location.y : b.y + kPad + (showStereotype ? lh : 0);
    const double width = label && label->maxWidth > 0 ? label->maxWidth : b.w - 2 * kPad;
    const double nameX = label && label->hasLocation && label->maxWidth > 0 ? label->location.x + label->maxWidth / 2.0 : b.cx();
    if (showStereotype) {
        const Label& s = v.stereotypeLabel;
        Text(s.hasLocation && s.maxWidth > 0 ? s.location.x + s.maxWidth / 2.0 : nameX,
             s.hasLocation ? s.location.y + px * 0.9 : y + px * 0.9 - lh, "\xC2\xAB" + stereotype + "\xC2\xBB", v.font,
             v.font, "middle", "stereotype", false, false, false, b.w - 2 * kPad);
    }
    const std::vector<std::string> lines = Wrap(Name(v), width, px, label ? label->nlines : 0, true);
    for (const std::string& line : lines) {
        Text(nameX, y + px * 0.9, line, v.font, v.font, "middle", "name", true, cls && cls->isAbstract, false,
             lines.size() > 1 ? width : -std::max(width, b.w - 2 * kPad));
        y += lh;
    }
    if (cls)
        Members(v, *cls, b, y + kPad / 2.0);
    Close();
}

// The attribute and operation compartments as the view's flags say: members only where
// IncludeAttribute / IncludeOperation is TRUE (the tool writes them when it shows members),
// cut at the stored box with a last line "...".
void Painter::Members(const View& v, const Class& cls, const Box& b, double y)
{
    struct Member {
        std::string text;
        const char* kind;
        bool italic, underline;
    };
    const double px = FontPx(v.font, v.font), lh = px * 1.2, bottom = b.y + b.h - kPad / 2.0, inner = b.w - 2 * kPad;
    auto compartment = [&](const char* include, const char* suppress, const std::vector<Member>& members) {
        if (v.Flag(suppress, false) || y + kPad > b.y + b.h)
            return;
        Path(std::string("M") + Num(b.x) + " " + Num(y) + "H" + Num(b.x + b.w), Style(v, "none"), "separator");
        y += kPad / 2.0;
        if (v.Flag(include, false))
            for (size_t i = 0; i < members.size(); ++i) {
                const bool last = i + 1 == members.size();
                if (y + lh > bottom || (!last && y + 2 * lh > bottom)) {
                    if (y + lh <= bottom + kPad / 2.0)
                        Text(b.x + kPad, y + px * 0.9, "...", v.font, v.font, "start", "more");
                    y += lh;
                    break;
                }
                const Member& m = members[i];
                Text(b.x + kPad, y + px * 0.9, Ellipsize(m.text, inner, px), v.font, v.font, "start", m.kind, false,
                     m.italic, m.underline);
                y += lh;
            }
        y += kPad / 2.0;
    };
    std::vector<Member> attributes, operations;
    for (const Attribute* a : cls.attributes)
        attributes.push_back({std::string(VisibilityMark(a->exportControl)) + AttributeText(*a), "attribute", false, a->isStatic});
    const bool signature = v.Flag("ShowOperationSignature", false);
    for (const Operation* o : cls.operations)
        operations.push_back({std::string(VisibilityMark(o->exportControl)) + OperationText(*o, signature), "operation",
                              o->isAbstract, o->isStatic});
    compartment("IncludeAttribute", "SuppressAttribute", attributes);
    compartment("IncludeOperation", "SuppressOperation", operations);
}

} // namespace VexloDiagram::Svg
