// Every diagram of every sample model renders, with one box per class view holding the
// class's name, and the report links every class box to its class entry.
#include "DiagramTestSupport.h"

#include "HtmlReport.h"
#include "RoseModel.h"
#include "SampleModels.h"
#include "SvgWriter.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace DiagramTest;
using namespace RoseHost;
using namespace RoseHost::Diagrams;

namespace {

struct Sample {
    const char* file;
    unsigned codePage;
    size_t diagrams; // "(object ...Diagram" lines counted in the files with grep
};

std::ostream& operator<<(std::ostream& os, const Sample& s) { return os << s.file; }

class SampleDiagrams : public ::testing::TestWithParam<Sample> {};

TEST_P(SampleDiagrams, EveryClassViewIsOneBoxWithItsName)
{
    const std::string path = SampleFolder::Dir() + "/" + GetParam().file;
    VEXLO_REQUIRE_SAMPLE_MODELS();
    const std::string plugins = SampleFolder::Dir() + "/emf/plugins";
    Loaded loaded = LoadFile(path, GetParam().codePage, {{L"VABASE_PLUGINS_PATH", std::wstring(plugins.begin(), plugins.end())}});
    ASSERT_EQ(loaded.set.diagrams.size(), GetParam().diagrams);

    VexloDiagram::SvgOptions options;
    options.classLink = [](const Class& c) { return "#" + VexloDiagram::ClassAnchor(c); };
    size_t classViews = 0;
    for (const Diagram& d : loaded.set.diagrams) {
        const std::vector<SvgElement> svg = ParseSvg(VexloDiagram::RenderSvg(d, loaded.set, options));
        for (const View& v : d.views) {
            if (v.type != "ClassView" || !v.hasLocation)
                continue;
            ++classViews;
            const Class* cls = v.element && v.element->kind == ElementKind::Class ? static_cast<const Class*>(v.element) : nullptr;
            const std::string name = cls ? ToUtf8(cls->name.str()) : v.labels.at(0).text;
            size_t shapes = 0, named = 0;
            for (const SvgElement& e : svg) {
                if (e.groupView != "ClassView" || e.groupLine != v.line)
                    continue;
                shapes += (e.tag == "rect" && e.Attr("class") == "box") || e.Attr("class") == "actor" ||
                          e.Attr("class").rfind("icon ", 0) == 0;
                named += e.Attr("class") == "name" && VexloDiagram::XmlEscape(name).find(e.text) == 0 && !e.text.empty();
            }
            EXPECT_EQ(shapes, 1u) << d.name << " line " << v.line;
            // An unnamed class ("$UNNAMED$" in the file) has no name to show.
            EXPECT_GE(named, name.empty() ? 0u : 1u) << d.name << " line " << v.line << " " << name;
        }
    }
    EXPECT_GT(classViews, 0u);

    // The report holds every diagram and every class entry the boxes link to.
    VexloDiagram::ReportInput input;
    input.model = loaded.model.get();
    input.diagrams = &loaded.set;
    input.svgFiles.assign(loaded.set.diagrams.size(), "d.svg");
    const std::string html = VexloDiagram::RenderIndex(input);
    for (const Class* c : loaded.model->allClasses)
        EXPECT_NE(html.find("id=\"" + VexloDiagram::ClassAnchor(*c) + "\""), std::string::npos) << ToUtf8(c->name.str());
    size_t inline_ = 0;
    for (size_t at = html.find("<svg "); at != std::string::npos; at = html.find("<svg ", at + 1))
        ++inline_;
    // Every diagram inline but the empty ones, which the report lists without a picture.
    EXPECT_EQ(inline_, static_cast<size_t>(std::count_if(loaded.set.diagrams.begin(), loaded.set.diagrams.end(),
                                                          [](const Diagram& d) { return !d.Empty(); })));
}

INSTANTIATE_TEST_SUITE_P(Models, SampleDiagrams,
                         ::testing::Values(Sample{"atm.mdl", 1252, 4}, Sample{"zelva-design.mdl", 1252, 16},
                                           Sample{"library-gbk.mdl", 936, 14}, Sample{"umldemo.mdl", 936, 35},
                                           Sample{"emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl", 1252, 10}));

} // namespace
