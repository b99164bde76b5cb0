// The gallery: views taken from the sample models and made-up ones, each with the facts
// a person checks when looking at the picture: the name inside its box, an anchored label
// centred on its stored place, no stick figure for what is no actor, member lines inside
// the box, a self-message that leaves and comes back to its lifeline, wrapped lines inside
// the stored width and within the stored number of lines.
#include "DiagramTestSupport.h"

#include "SampleModels.h"
#include "SvgWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

using namespace DiagramTest;
using namespace RoseHost::Diagrams;

namespace {

enum Fact : unsigned {
    NameInBox = 1,       // the name's text stands inside the drawn box or ellipse
    NameBelow = 2,       // the name stands below the icon (or ellipse)
    LabelCentred = 4,    // the first label's text block is centred on its stored place
    NoActor = 8,         // no stick figure
    Actor = 16,          // a stick figure
    MembersInBox = 32,   // attribute and operation lines inside the box
    NoMembers = 64,      // no attribute or operation line
    MoreLine = 128,      // a last line "..." says members were cut
    SelfLoop = 256,      // the message's path starts and ends on its lifeline and goes out to the right
    Wrapped = 512,       // the label's lines fit its max_width and are no more than its nlines
    Symbol = 1024,       // a circle of the icon's class (boundary, control, entity, interface)
    Stereotype = 2048,   // a «stereotype» text
    OnLifeline = 4096,   // the mark stands on its object's lifeline
    SelfLink = 8192,     // the path starts and ends on the outline of the one object it links
};

struct Case {
    const char* name;
    const char* model;     // a sample model path (below the sample folder) or, with "(object", the model text
    const char* diagram;   // the diagram's name
    const char* view;      // view type
    const char* key;       // a text of the view: its qualified name's end or its label; "" = the first of the type
    unsigned facts;
    const char* text = ""; // the name or label as drawn (joined lines), where the case says it
};

// Width of a text line at an average letter width: half an em for letters, a full em for
// CJK; a rough estimate of our own, hence the tolerance where it is used.
double Estimate(const std::string& text, double px)
{
    double em = 0;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        em += n >= 3 ? 1.0 : 0.5;
        i += n;
    }
    return em * px;
}

double Attr(const SvgElement& e, const char* name) { return std::atof(e.Attr(name).c_str()); }

struct Bounds {
    double x0, y0, x1, y1;
    bool Holds(double x, double y, double slack = 2) const
    {
        return x >= x0 - slack && x <= x1 + slack && y >= y0 - slack && y <= y1 + slack;
    }
};

// The drawn box (with a package's tab), ellipse or icon circle of a view.
std::optional<Bounds> ShapeBounds(const std::vector<const SvgElement*>& group)
{
    std::optional<Bounds> box;
    for (const SvgElement* e : group) {
        const std::string cls = e->Attr("class");
        if (e->tag == "rect" && (cls == "box" || cls == "tab")) {
            const Bounds b{Attr(*e, "x"), Attr(*e, "y"), Attr(*e, "x") + Attr(*e, "width"), Attr(*e, "y") + Attr(*e, "height")};
            box = box ? Bounds{std::min(box->x0, b.x0), std::min(box->y0, b.y0), std::max(box->x1, b.x1), std::max(box->y1, b.y1)} : b;
            continue;
        }
        if (e->tag == "ellipse")
            return Bounds{Attr(*e, "cx") - Attr(*e, "rx"), Attr(*e, "cy") - Attr(*e, "ry"), Attr(*e, "cx") + Attr(*e, "rx"),
                          Attr(*e, "cy") + Attr(*e, "ry")};
        if (e->tag == "circle" && cls == "actor" && !box) {
            // The head's radius is 0.13 of the figure's height.
            const double r = Attr(*e, "r"), top = Attr(*e, "cy") - r;
            box = Bounds{Attr(*e, "cx") - r * 3, top, Attr(*e, "cx") + r * 3, top + r / 0.13};
        }
        if (e->tag == "circle" && cls.rfind("icon", 0) == 0 && !box)
            box = Bounds{Attr(*e, "cx") - Attr(*e, "r"), Attr(*e, "cy") - Attr(*e, "r"), Attr(*e, "cx") + Attr(*e, "r"),
                          Attr(*e, "cy") + Attr(*e, "r")};
    }
    return box;
}

// "@N": the view of that tag in the made-up model's text.
const View* FindView(const Diagram& d, const Case& c, const std::string& text)
{
    for (const View& v : d.views) {
        if (v.type != c.view)
            continue;
        const std::string key = c.key;
        if (key.starts_with("@")) {
            if (v.line == LineOf(text, " " + key + " "))
                return &v;
            continue;
        }
        const bool qualified = v.qualified.size() >= key.size() && v.qualified.compare(v.qualified.size() - key.size(), key.size(), key) == 0;
        const bool labelled = !v.labels.empty() && v.labels[0].text == key;
        if (key.empty() || qualified || labelled)
            return &v;
    }
    return nullptr;
}

void Check(const Case& c, const Loaded& loaded, const std::string& text = "")
{
    SCOPED_TRACE(c.name);
    const Diagram* d = nullptr;
    const View* v = nullptr;
    for (const Diagram& each : loaded.set.diagrams)
        if (each.name == c.diagram && !v) {
            d = &each;
            v = FindView(each, c, text);
        }
    ASSERT_NE(d, nullptr) << "no diagram " << c.diagram;
    ASSERT_NE(v, nullptr) << "no view " << c.view << " " << c.key;
    const std::vector<SvgElement> svg = ParseSvg(VexloDiagram::RenderSvg(*d, loaded.set, {}));
    std::vector<const SvgElement*> group, names, members;
    for (const SvgElement& e : svg)
        if (e.groupLine == v->line && e.groupView == v->type) {
            group.push_back(&e);
            const std::string cls = e.Attr("class");
            // A line's own label only (a role's name, not its multiplicity).
            const bool own = !v->IsLine() || (!v->labels.empty() && v->labels[0].text.find(e.text) != std::string::npos);
            if (e.tag == "text" && (cls == "name" || cls == "note-text" || cls == "label" || cls == "free-text") && own)
                names.push_back(&e);
            if (e.tag == "text" && (cls == "attribute" || cls == "operation" || cls == "more"))
                members.push_back(&e);
        }
    ASSERT_FALSE(group.empty()) << "the view is not drawn";
    const std::optional<Bounds> shape = ShapeBounds(group);
    auto count = [&](auto&& pred) { return std::count_if(group.begin(), group.end(), [&](const SvgElement* e) { return pred(*e); }); };

    if (*c.text) {
        std::string joined;
        for (const SvgElement* n : names)
            joined += n->text;
        EXPECT_EQ(joined, c.text);
    }
    if (c.facts & (NameInBox | NameBelow)) {
        ASSERT_TRUE(shape.has_value()) << "no box";
        ASSERT_FALSE(names.empty()) << "no name";
        for (const SvgElement* n : names) {
            const double y = Attr(*n, "y");
            if (c.facts & NameInBox)
                EXPECT_TRUE(shape->Holds(Attr(*n, "x"), y)) << n->text << " at " << n->Attr("x") << "," << y;
            else
                EXPECT_GT(y, shape->y1) << n->text << " is not below its icon";
        }
    }
    if (c.facts & LabelCentred) {
        ASSERT_FALSE(v->labels.empty());
        const Label& l = v->labels[0];
        ASSERT_FALSE(names.empty());
        const double px = Attr(*names.front(), "font-size");
        // A line's middle is about 0.35 em above its baseline.
        const double middle = (Attr(*names.front(), "y") + Attr(*names.back(), "y")) / 2 - 0.35 * px;
        EXPECT_NEAR(middle, l.location.y, 8);
        EXPECT_NEAR(Attr(*names.front(), "x"), l.location.x, 8);
        EXPECT_EQ(names.front()->Attr("text-anchor"), "middle");
    }
    const auto actors = count([](const SvgElement& e) { return e.Attr("class") == "actor"; });
    if (c.facts & NoActor) {
        EXPECT_EQ(actors, 0) << "a stick figure";
    }
    if (c.facts & Actor) {
        EXPECT_EQ(actors, 1) << "no stick figure";
    }
    if (c.facts & Symbol) {
        EXPECT_EQ(count([](const SvgElement& e) { return e.tag == "circle" && e.Attr("class").rfind("icon ", 0) == 0; }), 1);
    }
    if (c.facts & Stereotype) {
        EXPECT_EQ(count([](const SvgElement& e) { return e.Attr("class") == "stereotype"; }), 1);
    }
    if (c.facts & NoMembers) {
        EXPECT_TRUE(members.empty()) << members.front()->text;
    }
    if (c.facts & MembersInBox) {
        ASSERT_TRUE(shape.has_value());
        ASSERT_FALSE(members.empty());
        for (const SvgElement* m : members) {
            const double px = Attr(*m, "font-size"), x = Attr(*m, "x"), y = Attr(*m, "y");
            EXPECT_TRUE(shape->Holds(x, y - px * 0.8) && shape->Holds(x, y + px * 0.2)) << m->text << " leaves the box";
            EXPECT_LE(x + Estimate(m->text, px), shape->x1 + 0.15 * shape->x1 - 0.15 * shape->x0) << m->text;
        }
    }
    if (c.facts & MoreLine) {
        EXPECT_TRUE(!members.empty() && members.back()->text == "...") << "no \"...\" line";
    }
    if (c.facts & Wrapped) {
        const Label& l = v->labels.at(0);
        ASSERT_FALSE(names.empty());
        EXPECT_LE(names.size(), static_cast<size_t>(l.nlines));
        for (const SvgElement* n : names) {
            const double fit = n->Attr("textLength").empty() ? Estimate(n->text, Attr(*n, "font-size")) : Attr(*n, "textLength");
            EXPECT_LE(fit, l.maxWidth * 1.3) << n->text;
        }
    }
    if (c.facts & SelfLoop) {
        const View& life = d->views.at(static_cast<size_t>(v->client));
        const SvgElement* line = nullptr;
        for (const SvgElement* e : group)
            if (e->Attr("class") == "line")
                line = e;
        ASSERT_NE(line, nullptr);
        double first = 0, last = 0, far = -1e9;
        bool any = false;
        const std::string path = line->Attr("d");
        for (const char* p = path.c_str(); *p;) {
            if (*p == 'M' || *p == 'L') {
                char* end = nullptr;
                const double x = std::strtod(p + 1, &end);
                first = any ? first : x;
                last = x;
                far = std::max(far, x);
                any = true;
                p = end;
            } else {
                ++p;
            }
        }
        EXPECT_NEAR(first, life.location.x, 20);
        EXPECT_NEAR(last, life.location.x, 20);
        EXPECT_GT(far, life.location.x + 40);
    }
    if (c.facts & SelfLink) {
        const SvgElement* line = nullptr;
        for (const SvgElement* e : group)
            line = e->Attr("class") == "line" ? e : line;
        ASSERT_NE(line, nullptr);
        const View& object = d->views.at(static_cast<size_t>(v->client));
        const double x0 = object.location.x - object.width / 2.0, x1 = object.location.x + object.width / 2.0;
        const double y0 = object.location.y - object.height / 2.0, y1 = object.location.y + object.height / 2.0;
        std::vector<std::pair<double, double>> points;
        const std::string path = line->Attr("d");
        for (const char* p = path.c_str(); *p; ++p)
            if (*p == 'M' || *p == 'L') {
                char* end = nullptr;
                const double x = std::strtod(p + 1, &end);
                points.emplace_back(x, std::strtod(end, &end));
            }
        ASSERT_GE(points.size(), 3u);
        auto onOutline = [&](std::pair<double, double> p) {
            const bool inside = p.first >= x0 - 1 && p.first <= x1 + 1 && p.second >= y0 - 1 && p.second <= y1 + 1;
            return inside && (std::fabs(p.first - x0) < 1 || std::fabs(p.first - x1) < 1 || std::fabs(p.second - y0) < 1 ||
                              std::fabs(p.second - y1) < 1);
        };
        EXPECT_TRUE(onOutline(points.front()) && onOutline(points.back())) << path;
    }
    if (c.facts & OnLifeline) {
        const View& life = d->views.at(static_cast<size_t>(v->parent));
        const SvgElement* cross = nullptr;
        for (const SvgElement* e : group)
            cross = e->Attr("class") == "cross" ? e : cross;
        ASSERT_NE(cross, nullptr);
        // "M x-r y-r L x+r y+r ...": the cross's middle is the first point plus its half size.
        const std::string dd = cross->Attr("d");
        const double x0 = std::atof(dd.c_str() + 1), x1 = std::atof(dd.c_str() + dd.find('L') + 1);
        EXPECT_NEAR((x0 + x1) / 2, life.location.x, 1);
    }
}

// Made-up views, one a line, with the facts they are made for.
const char* const kMadeUp = R"((object Petal version 47 charSet 0)
(object Design "Logical View"
    root_category (object Class_Category "Logical View"
        quid "C0"
        logical_models (list unit_reference_list
            (object Class "Ctl" quid "K1" stereotype "control")
            (object Class "Ent" quid "K2" stereotype "entity")
            (object Class "IShape" quid "K3" stereotype "Interface")
            (object Class "Many" quid "K4"
                operations (list Operations
                    (object Operation "First" quid "O1") (object Operation "Second" quid "O2")
                    (object Operation "Third" quid "O3") (object Operation "Fourth" quid "O4")
                    (object Operation "Fifth" quid "O5") (object Operation "Sixth" quid "O6")
                    (object Operation "AVeryLongOperationNameThatRunsFarPastTheRightEdgeOfTheBox" quid "O7")))
            (object Class "Worker" quid "K5")
            (object Class_Category "Pkg" quid "P1"))
        logical_presentations (list unit_reference_list
            (object ClassDiagram "Made" quid "D1" title "Made"
                items (list diagram_item_list
(object ClassView "Class" "Logical View::Ctl" @1 location (300, 300) label (object ItemLabel Parent_View @1 location (200, 230) nlines 1 max_width 200 label "Ctl") icon_style "Label" quidu "K1" width 300 height 150)
(object ClassView "Class" "Logical View::Ent" @2 location (800, 300) label (object ItemLabel Parent_View @2 location (700, 240) nlines 1 max_width 200 label "Ent") icon_style "Decoration" quidu "K2" width 300 height 150)
(object ClassView "Class" "Logical View::IShape" @3 location (1200, 300) label (object ItemLabel Parent_View @3 location (1200, 370) anchor_loc 1 nlines 1 max_width 200 label "IShape") icon "Interface" icon_style "Icon" quidu "K3" width 58 height 58)
(object ClassView "Class" "Logical View::Many" @4 location (300, 800) label (object ItemLabel Parent_View @4 location (160, 740) nlines 1 max_width 280 label "Many") icon_style "Icon" quidu "K4" width 300 height 130)
(object ClassView "Class" "Logical View::Many" @5 location (800, 800) label (object ItemLabel Parent_View @5 location (660, 700) nlines 1 max_width 280 label "Many") IncludeOperation TRUE quidu "K4" width 300 height 260)
(object NoteView @6 location (1400, 800) label (object ItemLabel Parent_View @6 location (1260, 720) nlines 3 max_width 280 label "createAccountForCustomerWithVeryLongIdentifier_and_more_parts") width 300 height 200)
(object NoteView @7 location (1400, 1200) label (object ItemLabel Parent_View @7 location (1260, 1120) nlines 3 max_width 280 label "这是一个没有空格的很长的中文注释文本需要换行显示") width 300 height 200)
(object Label @8 location (300, 1200) nlines 3 max_width 500 label "free text that the tool broke into three lines at its stored width")
(object CategoryView "Logical View::Pkg" @9 location (800, 1300) label (object ItemLabel Parent_View @9 location (660, 1216) nlines 2 max_width 280 label "Pkg") quidu "P1" width 300 height 180)
(object ClassView "Class" "Logical View::Worker" @10 location (300, 1600) label (object ItemLabel Parent_View @10 location (300, 1700) anchor_loc 1 nlines 2 max_width 300 label "Worker") icon "boundary" icon_style "Icon" quidu "K5" width 229 height 153)
(object InterfaceView "Interface" "Logical View::IShape" @11 location (1200, 1600) label (object ItemLabel Parent_View @11 location (1200, 1660) anchor_loc 1 nlines 1 max_width 200 label "IShape") quidu "K3")
(object ObjectView "Worker" @12 location (1800, 1600) label (object ItemLabel Parent_View @12 location (1700, 1560) nlines 1 max_width 200 label "Worker") width 300 height 120)
(object LinkSelfView "" @13 client @12 supplier @12)
)))))
)";

// Views of the sample models; the names are those the models store.
const Case kSampleCases[] = {
    {"boundary class as its icon", "umldemo.mdl", "\xe5\x88\x86\xe6\x9e\x90\xe7\xb1\xbb\xe6\xa8\xa1\xe5\x9e\x8b", "ClassView",
     "\xe5\x88\x9b\xe5\xbb\xba\xe9\xa2\x84\xe4\xbb\x98\xe6\xac\xbe\xe5\xb7\xa5\xe5\x8d\x95\xe8\xbe\xb9\xe7\x95\x8c\xe5\xaf\xb9\xe8\xb1\xa1",
     NameBelow | LabelCentred | NoActor | Symbol},
    {"entity class as its icon", "umldemo.mdl", "\xe5\x88\x86\xe6\x9e\x90\xe7\xb1\xbb\xe6\xa8\xa1\xe5\x9e\x8b", "ClassView",
     "\xe5\xb7\xa5\xe5\x8d\x95\xe5\xae\x9e\xe4\xbd\x93\xe5\xaf\xb9\xe8\xb1\xa1", NameBelow | NoActor | Symbol},
    {"note wrapped into its two lines", "umldemo.mdl", "\xe5\x88\x86\xe6\x9e\x90\xe7\xb1\xbb\xe6\xa8\xa1\xe5\x9e\x8b", "NoteView",
     "", Wrapped},
    {"self-message loops on its lifeline", "zelva-design.mdl", "Zpracovani element prikazu", "SelfMessView", "", SelfLoop},
    {"destruction mark on its lifeline", "library-gbk.mdl", "BaseFlow", "Destruction_Marker", "", OnLifeline},
    {"class with members inside its box", "emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl",
     "Ecore Relations, Attributes, and Operations", "ClassView", "EClass", NameInBox | MembersInBox | NoActor},
    {"role name centred at its place", "emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl",
     "Ecore Relations, Attributes, and Operations", "RoleView", "+eAnnotations", LabelCentred, "+eAnnotations"},
    {"actor class as a stick figure", "zelva-design.mdl", "Editor", "ClassView", "Uzivatel", Actor | NameBelow},
};

const Case kMadeUpCases[] = {
    {"Label style: a box with the stereotype", "", "Made", "ClassView", "@1", NameInBox | NoActor | Stereotype},
    {"Decoration: a box with a small icon", "", "Made", "ClassView", "@2", NameInBox | NoActor | Symbol},
    {"Interface icon: the small circle", "", "Made", "ClassView", "@3", NameBelow | LabelCentred | NoActor | Symbol},
    {"no members where the view includes none", "", "Made", "ClassView", "@4", NameInBox | NoMembers},
    {"members cut at the box with a last line", "", "Made", "ClassView", "@5", MembersInBox | MoreLine},
    {"long identifier wrapped at capitals and underscores", "", "Made", "NoteView", "@6", Wrapped,
     "createAccountForCustomerWithVeryLongIdentifier_and_more_parts"},
    {"CJK text wrapped between characters", "", "Made", "NoteView", "@7", Wrapped,
     "\xe8\xbf\x99\xe6\x98\xaf\xe4\xb8\x80\xe4\xb8\xaa\xe6\xb2\xa1\xe6\x9c\x89\xe7\xa9\xba\xe6\xa0\xbc\xe7\x9a\x84\xe5\xbe\x88\xe9\x95\xbf"
     "\xe7\x9a\x84\xe4\xb8\xad\xe6\x96\x87\xe6\xb3\xa8\xe9\x87\x8a\xe6\x96\x87\xe6\x9c\xac\xe9\x9c\x80\xe8\xa6\x81\xe6\x8d\xa2\xe8\xa1\x8c"
     "\xe6\x98\xbe\xe7\xa4\xba"},
    {"free text keeps its lines", "", "Made", "Label", "@8", Wrapped},
    {"package name in its tab", "", "Made", "CategoryView", "@9", NameInBox, "Pkg"},
    {"boundary icon, not a stick figure", "", "Made", "ClassView", "@10", NameBelow | LabelCentred | NoActor | Symbol},
    {"component interface: the circle, its name below", "", "Made", "InterfaceView", "@11", NameBelow | LabelCentred | Symbol},
    {"self-link: a loop from the object's box back to it", "", "Made", "LinkSelfView", "@13", SelfLink},
};

TEST(DiagramGallery, MadeUpViews)
{
    const Loaded loaded = LoadText(kMadeUp, 65001); // the CJK note is UTF-8 here
    EXPECT_TRUE(loaded.set.warnings.empty()) << loaded.set.warnings[0].message;
    for (const Case& c : kMadeUpCases)
        Check(c, loaded, kMadeUp);
}

TEST(DiagramGallery, SampleModelViews)
{
    VEXLO_REQUIRE_SAMPLE_MODELS();
    const std::string plugins = SampleFolder::Dir() + "/emf/plugins";
    for (const Case& c : kSampleCases) {
        const unsigned codePage = std::string(c.model).find("gbk") != std::string::npos || std::string(c.model) == "umldemo.mdl" ? 936 : 1252;
        Loaded loaded = LoadFile(SampleFolder::Dir() + "/" + c.model, codePage,
                                 {{L"VABASE_PLUGINS_PATH", std::wstring(plugins.begin(), plugins.end())}});
        Check(c, loaded);
    }
}

} // namespace
