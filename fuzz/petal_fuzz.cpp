// Any bytes given to the model loader either load or fail with RoseLoadError: no crash,
// no hang, no other exception, no undefined behaviour. The diagram reader sees every
// parsed file, and whatever diagrams it finds are drawn, each on its own and all in a
// report. fuzz/regressions/ holds inputs that once failed (tests/diagram runs them).
#include "HtmlReport.h"
#include "ModelLoader.h"
#include "SvgWriter.h"
#include "diagrams/DiagramReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RoseHost::LoadOptions options;
    // Unit files would read whatever the input names on disk.
    options.loadUnits = false;
    // Half the inputs go through the double-byte code page path.
    options.codePage = size > 0 && (data[size - 1] & 1) ? 936 : 1252;
    try {
        RoseHost::Diagrams::DiagramReader reader;
        reader.Attach(options);
        auto model = RoseHost::LoadRoseModelFromText(text, L"fuzz.mdl", options);
        const RoseHost::Diagrams::DiagramSet diagrams = reader.Finish(*model);
        VexloDiagram::ReportInput report;
        report.model = model.get();
        report.diagrams = &diagrams;
        report.svgFiles.assign(diagrams.diagrams.size(), "d #1.svg");
        report.partsFolder = "parts";
        std::vector<VexloDiagram::ReportPart> parts;
        (void)VexloDiagram::RenderIndex(report, &parts);
        // Each diagram also standalone, at an odd scale, with class links.
        VexloDiagram::SvgOptions svg;
        svg.scale = 2.5;
        svg.classLink = [](const RoseHost::Class& c) { return "index.html#" + VexloDiagram::ClassAnchor(c); };
        for (const RoseHost::Diagrams::Diagram& d : diagrams.diagrams)
            (void)VexloDiagram::RenderSvg(d, diagrams, svg);
        options.onDocument = nullptr;
        // Walk what was built, so a dangling link would show.
        for (const RoseHost::Class* c : model->allClasses) {
            for (const RoseHost::Role* r : c->roles)
                (void)r->OtherRole();
            (void)model->GetToolProperties(*c, L"cg");
        }
    } catch (const RoseHost::RoseLoadError&) {
    }
    try {
        (void)RoseHost::LoadPropertyFileFromText(text, L"fuzz.pty", options);
    } catch (const RoseHost::RoseLoadError&) {
    }
    return 0;
}
