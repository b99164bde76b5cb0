// Drawing every diagram of the largest sample model (zelva-design.mdl, 850 KB, 16
// diagrams): the diagrams alone as SVG, the report with them inline, and the whole
// command's work from the file (loading, reading the views, SVG and report).
#include "HtmlReport.h"
#include "ModelLoader.h"
#include "SvgWriter.h"
#include "diagrams/DiagramReader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace RoseHost;
using namespace RoseHost::Diagrams;

std::wstring LargestModel()
{
    const char* env = std::getenv("VEXLO_SAMPLE_MODELS");
    const std::string path = std::string(env && *env ? env : VEXLO_SAMPLE_MODELS) + "/zelva-design.mdl";
    return std::filesystem::exists(path) ? std::wstring(path.begin(), path.end()) : std::wstring();
}

struct Loaded {
    std::unique_ptr<Model> model;
    DiagramSet set;
};

Loaded Load(const std::wstring& file)
{
    Loaded loaded;
    DiagramReader reader;
    LoadOptions options;
    options.codePage = 1252;
    reader.Attach(options);
    loaded.model = LoadRoseModel(file, options);
    loaded.set = reader.Finish(*loaded.model);
    return loaded;
}

size_t RenderAll(const Loaded& loaded)
{
    size_t bytes = 0;
    VexloDiagram::SvgOptions options;
    options.classLink = [](const Class& c) { return "index.html#" + VexloDiagram::ClassAnchor(c); };
    for (const Diagram& d : loaded.set.diagrams)
        bytes += VexloDiagram::RenderSvg(d, loaded.set, options).size();
    VexloDiagram::ReportInput report;
    report.model = loaded.model.get();
    report.diagrams = &loaded.set;
    report.svgFiles.assign(loaded.set.diagrams.size(), "d.svg");
    return bytes + VexloDiagram::RenderIndex(report).size();
}

void BM_RenderAllDiagrams(benchmark::State& state)
{
    const std::wstring file = LargestModel();
    if (file.empty()) {
        state.SkipWithError("the sample models are not here; set VEXLO_SAMPLE_MODELS");
        return;
    }
    const Loaded loaded = Load(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderAll(loaded));
    state.counters["diagrams"] = static_cast<double>(loaded.set.diagrams.size());
}
BENCHMARK(BM_RenderAllDiagrams)->Unit(benchmark::kMillisecond);

void BM_LoadReadAndRender(benchmark::State& state)
{
    const std::wstring file = LargestModel();
    if (file.empty()) {
        state.SkipWithError("the sample models are not here; set VEXLO_SAMPLE_MODELS");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderAll(Load(file)));
}
BENCHMARK(BM_LoadReadAndRender)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
