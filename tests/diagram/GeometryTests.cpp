// A hand-made model with known places: the SVG puts every box, line and label where the
// file says; broken view data gives warnings with the file's line and never stops drawing.
#include "DiagramTestSupport.h"

#include "HtmlReport.h"
#include "SvgWriter.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

using namespace DiagramTest;
using namespace RoseHost::Diagrams;

namespace {

std::string Model(const std::string& items)
{
    return R"((object Petal version 47 charSet 0)
(object Design "Logical View"
    root_category (object Class_Category "Logical View"
        quid "C0"
        logical_models (list unit_reference_list
            (object Class "A" quid "A1"
                operations (list Operations
                    (object Operation "Run" quid "O1" result "Integer"
                        parameters (list Parameters (object Parameter "Times" type "Word")))))
            (object Class "B" quid "B1"
                stereotype "entity"
                superclasses (list inheritance_relationship_list
                    (object Inheritance_Relationship quid "R1" supplier "Logical View::A" quidu "A1")))
            (object Association "$UNNAMED$0" quid "S1"
                roles (list role_list
                    (object Role "items" quid "S1a" supplier "Logical View::A" quidu "A1" is_aggregate TRUE)
                    (object Role "$UNNAMED$1" quid "S1b" supplier "Logical View::B" quidu "B1" is_navigable TRUE))))
        logical_presentations (list unit_reference_list
            (object ClassDiagram "Main" quid "D1" title "Main"
                items (list diagram_item_list
)" + items + R"()))))
)";
}

const char* const kItems = R"(
 (object ClassView "Class" "Logical View::A" @1
    ShowOperationSignature TRUE
    IncludeOperation TRUE
    location (500, 300)
    label (object ItemLabel Parent_View @1 location (360, 212) nlines 1 max_width 280 label "A")
    line_color 255
    fill_color 16711680
    quidu "A1"
    width 700
    height 200)
 (object ClassView "Class" "Logical View::B" @2
    location (500, 800)
    font (object Font size 12 face "Courier New" bold TRUE)
    label (object ItemLabel Parent_View @2 location (310, 760) nlines 1 max_width 380 label "B")
    icon_style "Label"
    quidu "B1"
    width 400
    height 250)
 (object InheritView "" @3
    quidu "R1" client @2 supplier @1
    origin_attachment (500, 675)
    terminal_attachment (500, 400))
 (object AssociationViewNew "$UNNAMED$0" @4
    location (900, 500)
    quidu "S1"
    roleview_list (list RoleViews
        (object RoleView "items" @5
            Parent_View @4
            label (object SegLabel @6 Parent_View @5 location (950, 350) anchor_loc 1 label "+items")
            quidu "S1a" client @4 supplier @1
            vertices (list Points (900, 500) (650, 300)))
        (object RoleView "$UNNAMED$1" @7
            Parent_View @4
            quidu "S1b" client @4 supplier @2
            origin_attachment (900, 500)
            terminal_attachment (700, 800)
            label (object SegLabel @8 Parent_View @7 location (760, 760) anchor_loc 1 label "0..n"))))
 (object NoteView @9
    location (1200, 300)
    label (object ItemLabel Parent_View @9 location (1060, 235) nlines 1 max_width 280 justify 1 label "Hello")
    width 300
    height 150)
)";

// The one element of a view kind, tag, class (and text, when given) that has the attributes.
const SvgElement* Find(const std::vector<SvgElement>& all, const std::string& view, const std::string& tag,
                       const std::string& cls, const std::string& text = "",
                       const std::map<std::string, std::string>& attributes = {})
{
    const SvgElement* found = nullptr;
    for (const SvgElement& e : all) {
        bool match = e.groupView == view && e.tag == tag && e.Attr("class") == cls && (text.empty() || e.text == text);
        for (const auto& [name, value] : attributes)
            match = match && e.Attr(name) == value;
        if (match) {
            if (found)
                return nullptr; // not unique
            found = &e;
        }
    }
    return found;
}

struct Expect {
    const char* view;
    const char* tag;
    const char* cls;
    const char* text;
    std::map<std::string, std::string> attributes;
};

TEST(DiagramGeometry, ViewsStandWhereTheFileSays)
{
    const std::string text = Model(kItems);
    Loaded loaded = LoadText(text);
    ASSERT_EQ(loaded.set.diagrams.size(), 1u);
    EXPECT_TRUE(loaded.set.warnings.empty()) << loaded.set.warnings[0].message;
    const Diagram& d = loaded.set.diagrams[0];
    EXPECT_EQ(d.path, std::vector<std::string>{"Logical View"});
    const std::vector<SvgElement> svg = ParseSvg(VexloDiagram::RenderSvg(d, loaded.set, {}));

    // 10 pt is 125/3 units (1/300 inch): a first baseline lies 0.9 of that below the label's place.
    const Expect cases[] = {
        // Boxes: the location is the centre; stored colours are BGR.
        {"ClassView", "rect", "box", "", {{"x", "150"}, {"y", "200"}, {"width", "700"}, {"height", "200"},
                                          {"stroke", "#ff0000"}, {"fill", "#0000ff"}}},
        {"ClassView", "rect", "box", "", {{"x", "300"}, {"y", "675"}, {"width", "400"}, {"height", "250"}}},
        // Names centred in the label's stored width, first baseline below its place.
        {"ClassView", "text", "name", "A", {{"x", "500"}, {"y", "249.5"}, {"font-weight", "bold"}}},
        {"ClassView", "text", "name", "B", {{"x", "500"}, {"y", "805"}, {"font-size", "50"}}},
        {"ClassView", "text", "stereotype", "\xC2\xAB" "entity" "\xC2\xBB", {{"x", "500"}, {"y", "745"}}},
        // Members with visibility marks and, where the view asks, the signature.
        {"ClassView", "text", "operation", "+Run(Times : Word) : Integer", {{"x", "162"}}},
        // Lines through their stored points, heads at the supplier's end.
        {"InheritView", "path", "line", "", {{"d", "M500 675L500 400"}}},
        {"InheritView", "path", "triangle", "", {}},
        {"RoleView", "path", "line", "", {{"d", "M900 500L650 300"}}},
        {"RoleView", "path", "line", "", {{"d", "M900 500L700 800"}}},
        {"RoleView", "path", "diamond", "", {}},
        {"RoleView", "path", "open", "", {}},
        // Labels anchored at their stored places, centred there: a line's middle lies 0.35 em above its baseline.
        {"RoleView", "text", "label", "+items", {{"x", "950"}, {"y", "364.6"}}},
        {"RoleView", "text", "label", "0..n", {{"x", "760"}, {"y", "774.6"}}},
        // A note: folded corner, left-justified text at its place.
        {"NoteView", "path", "box", "", {{"d", "M1050 225H1310L1350 265V375H1050Z"}}},
        {"NoteView", "text", "note-text", "Hello", {{"x", "1060"}, {"y", "272.5"}}},
    };
    for (const Expect& c : cases)
        EXPECT_NE(Find(svg, c.view, c.tag, c.cls, c.text, c.attributes), nullptr)
            << c.view << " " << c.tag << " " << c.cls << " " << c.text << " is not drawn once as expected";
    EXPECT_NE(Find(svg, "ClassView", "text", "name", "B")->Attr("font-family").find("Courier New"), std::string::npos);
}

struct Broken {
    const char* name;
    const char* item;     // one view added to the good ones
    const char* marker;   // where the warning must point
    const char* message;  // what it must say
};

TEST(DiagramGeometry, BrokenViewsWarnWithTheirLineAndTheRestIsDrawn)
{
    const Broken cases[] = {
        {"no location", " (object ClassView \"Class\" \"Logical View::A\" @20 quidu \"A1\" width 10 height 10)", "@20",
         "has no location"},
        {"location of the wrong kind", " (object ClassView \"Class\" \"Logical View::A\" @21 location (\"x\", 3) quidu \"A1\")",
         "@21", "has no location"},
        {"missing view", " (object InheritView \"\" @22 client @2 supplier @99)", "@22", "refers to @99"},
        {"missing element", " (object ClassView \"Class\" \"Logical View::Gone\" @23 location (5, 5) quidu \"NOPE\")", "@23",
         "does not hold"},
        {"unknown kind", " (object FancyView \"Fancy\" @24 location (50, 50) width 100 height 80)", "@24",
         "unknown kind FancyView"},
        {"no size", " (object CategoryView \"Logical View::P\" @25 location (50, 50) quidu \"C0\")", "@25", "has no size"},
        {"line without ends", " (object UsesView \"\" @26 client @1)", "@26", "has no ends"},
        {"line of one vertex", " (object UsesView \"\" @27 client @1 supplier @2 vertices (list Points (5, 5)))", "@27",
         "has one vertex"},
        {"zero size", " (object NoteView @28 location (50, 50) width 0 height 80)", "@28", "zero or negative size"},
        {"negative size", " (object NoteView @29 location (50, 50) width -5 height 80)", "@29", "zero or negative size"},
        {"far off the page", " (object NoteView @30 location (99999999, 50) width 100 height 80)", "@30",
         "far outside the diagram's page (21600 x 28350)"},
    };
    for (const Broken& c : cases) {
        const std::string text = Model(std::string(kItems) + c.item + "\n");
        Loaded loaded = LoadText(text);
        ASSERT_EQ(loaded.set.diagrams.size(), 1u) << c.name;
        bool found = false;
        for (const DiagramWarning& w : loaded.set.warnings)
            found = found || (w.line == LineOf(text, c.marker) && w.file == "hand.mdl" &&
                              w.message.find(c.message) != std::string::npos);
        EXPECT_TRUE(found) << c.name << ": " << (loaded.set.warnings.empty() ? "no warning" : loaded.set.warnings[0].message);
        // One warning for the one broken view, none for the good ones.
        EXPECT_EQ(loaded.set.warnings.size(), 1u) << c.name;
        // The good views are all still drawn.
        const std::vector<SvgElement> svg = ParseSvg(VexloDiagram::RenderSvg(loaded.set.diagrams[0], loaded.set, {}));
        EXPECT_NE(Find(svg, "ClassView", "text", "name", "A"), nullptr) << c.name;
        EXPECT_NE(Find(svg, "InheritView", "path", "line"), nullptr) << c.name;
    }
}

// Two role labels stored on one place (roles of lines that meet at a class) are drawn a
// line apart, neither in a box.
TEST(DiagramGeometry, RoleLabelsStoredOnOnePlaceDoNotPileUp)
{
    std::string items = kItems;
    const std::string from = "location (760, 760) anchor_loc 1 label \"0..n\"";
    items.replace(items.find(from), from.size(), "location (950, 350) anchor_loc 1 label \"0..n\"");
    Loaded loaded = LoadText(Model(items));
    const std::vector<SvgElement> svg = ParseSvg(VexloDiagram::RenderSvg(loaded.set.diagrams.at(0), loaded.set, {}));
    const SvgElement* a = Find(svg, "RoleView", "text", "label", "+items");
    const SvgElement* b = Find(svg, "RoleView", "text", "label", "0..n");
    ASSERT_TRUE(a && b);
    EXPECT_GE(std::fabs(std::atof(a->Attr("y").c_str()) - std::atof(b->Attr("y").c_str())), 50.0);
    EXPECT_EQ(a->Attr("x"), b->Attr("x"));
}

// Inputs that once made the fuzzer stop (fuzz/regressions): each loads, draws and goes
// into a report again, its broken views warned about.
TEST(DiagramGeometry, InputsThatOnceFailedAreDrawn)
{
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(VEXLO_FUZZ_REGRESSIONS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        SCOPED_TRACE(entry.path().filename().string());
        Loaded loaded = LoadText(text.str());
        ASSERT_FALSE(loaded.set.diagrams.empty());
        EXPECT_FALSE(loaded.set.warnings.empty());
        for (const Diagram& d : loaded.set.diagrams) {
            const std::string svg = VexloDiagram::RenderSvg(d, loaded.set, {});
            EXPECT_NE(svg.find("</svg>"), std::string::npos);
            // No picture of absurd size: views far off the page come back to its edge.
            const std::vector<SvgElement> elements = ParseSvg(svg);
            for (const SvgElement& e : elements) {
                if (e.tag == "svg") {
                    EXPECT_LT(std::atof(e.Attr("width").c_str()), 100000.0);
                }
            }
        }
        VexloDiagram::ReportInput report;
        report.model = loaded.model.get();
        report.diagrams = &loaded.set;
        report.svgFiles.assign(loaded.set.diagrams.size(), "d.svg");
        EXPECT_NE(VexloDiagram::RenderIndex(report).find("</html>"), std::string::npos);
        ++files;
    }
    EXPECT_GT(files, 0u);
}

} // namespace
