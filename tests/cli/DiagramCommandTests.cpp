// vexlo diagram as a user runs it: files named after package path and title, the report,
// one diagram by name, PNG where the build has librsvg (its libraries loaded only then),
// and what a bad run says.
#include "CliTestSupport.h"

using namespace CliTest;

namespace {

using DiagramCommand = VexloRunTest;

std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(DiagramCommand, WritesEveryDiagramAndTheReport)
{
    Result r = Run({"diagram", EXAMPLE_MODEL, "--out", "pics"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> expected = {
        "Component_View-Main.svg", "Logical_View-Catalog-Catalog.svg", "Logical_View-Catalog-Search-Search.svg",
        "Logical_View-Desk-Desk.svg", "Logical_View-External-External.svg",
        "Logical_View-LendingServer-Internal-Services-Services.svg", "Logical_View-LendingServer-Model-Model.svg",
        "Logical_View-Main.svg", "Logical_View-Members-Members.svg", "index.html"};
    EXPECT_EQ(FilesIn(Dir() / "pics"), expected);
    const std::string index = ReadFile(Dir() / "pics" / "index.html");
    // The file each component generates, as show prints it, and links from boxes to classes.
    Result show = Run({"show", EXAMPLE_MODEL});
    const std::string prefix = "component Catalog [Delphi] unit -> ";
    const size_t at = show.out.find(prefix);
    ASSERT_NE(at, std::string::npos) << show.out;
    const size_t from = at + prefix.size();
    const std::string catalogFile = show.out.substr(from, show.out.find('\n', from) - from);
    EXPECT_TRUE(Contains(index, "<code>" + catalogFile + "</code>")) << catalogFile;
    EXPECT_TRUE(Contains(ReadFile(Dir() / "pics" / "Logical_View-Catalog-Catalog.svg"), "<a href=\"index.html#class-"));
}

TEST_F(DiagramCommand, OneDiagramByNameOrPathAndUsageErrors)
{
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"diagram", EXAMPLE_MODEL, "--out", "a", "--diagram", "Members"}, 0},
        {{"diagram", EXAMPLE_MODEL, "--out", "b", "--diagram", "Catalog::Search::Search"}, 0},
        {{"diagram", EXAMPLE_MODEL, "--out", "c", "--diagram", "Membres"}, 2},
        {{"diagram", EXAMPLE_MODEL}, 2},
        {{"diagram", EXAMPLE_MODEL, "--out", "d", "--format", "gif"}, 2},
        {{"diagram", (Dir() / "missing.mdl").string(), "--out", "e"}, 3},
    };
    for (const auto& [args, code] : cases) {
        Result r = Run(args);
        EXPECT_EQ(r.code, code) << args.back() << "\n" << r.err;
        if (code == 0) {
            EXPECT_EQ(FilesIn(Dir() / args[3]).size(), 2u) << args.back();
        }
    }
    EXPECT_TRUE(Contains(Run({"diagram", EXAMPLE_MODEL, "--out", "c", "--diagram", "Membres"}).err, "Members"));
}

TEST_F(DiagramCommand, PngWhereTheBuildHasLibrsvg)
{
    Result r = Run({"diagram", EXAMPLE_MODEL, "--out", "png", "--format", "png", "--diagram", "Desk"});
    if (r.code == 2 && Contains(r.err, "without librsvg"))
        GTEST_SKIP() << "this build has no librsvg: " << r.err;
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string png = ReadFile(Dir() / "png" / "Logical_View-Desk-Desk.png");
    ASSERT_GT(png.size(), 1000u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(DiagramCommand, PngWriterIsLoadedOnlyForPng)
{
    // The libraries a start loads, as the dynamic loader lists them without running.
    Result start = Run({"--version"}, ".", "LD_TRACE_LOADED_OBJECTS=1");
    ASSERT_TRUE(Contains(start.out, "libc.so")) << start.out;
    for (const char* library : {"librsvg", "libcairo", "libglib"})
        EXPECT_FALSE(Contains(start.out, library)) << start.out;

    // A copy of vexlo without the module beside it says what is missing.
    fs::create_directories(Dir() / "bin");
    fs::copy_file(VEXLO_EXE, Dir() / "bin" / "vexlo");
    fs::permissions(Dir() / "bin" / "vexlo", fs::perms::owner_all, fs::perm_options::add);
    const std::string command = "cd " + Quote(Dir().string()) + " && VEXLO_REGISTRY=" + Quote(m_registry.string()) +
                                " " + Quote((Dir() / "bin" / "vexlo").string()) +
                                " diagram " + Quote(EXAMPLE_MODEL) + " --out png --format png --diagram Desk 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string err;
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        err.append(buffer, n);
    const int status = pclose(pipe);
    if (Contains(err, "without librsvg"))
        GTEST_SKIP() << "this build has no librsvg: " << err;
    EXPECT_EQ(WEXITSTATUS(status), 1) << err;
    EXPECT_TRUE(Contains(err, "the PNG writer " + (Dir() / "bin").string())) << err;
    EXPECT_TRUE(Contains(err, "is missing: PNG output is not available (use --format svg)")) << err;
}

} // namespace

namespace {

// Two diagrams, one with a "#" in its title and a view far off the page, one empty.
const char* const kOddModel = R"((object Petal version 47 charSet 0)
(object Design "Logical View"
    root_category (object Class_Category "Logical View"
        quid "C0"
        logical_models (list unit_reference_list
            (object Class "A" quid "A1"))
        logical_presentations (list unit_reference_list
            (object ClassDiagram "Main" quid "D0" title "Main"
                items (list diagram_item_list))
            (object ClassDiagram "Sheet #1" quid "D1" title "Sheet #1"
                items (list diagram_item_list
                    (object ClassView "Class" "Logical View::A" @1 location (300, 300) quidu "A1" width 300 height 150)
                    (object NoteView @2 location (90000000, 300) width 300 height 150))))))
)";

TEST_F(DiagramCommand, OddNamesFarViewsEmptyDiagramsAndScale)
{
    WriteFile(Dir() / "odd.mdl", kOddModel);
    const std::string model = (Dir() / "odd.mdl").string();
    Result r = Run({"diagram", model, "--out", "one"});
    ASSERT_EQ(r.code, 0) << r.err;
    // The empty diagram gives no picture, and the run says so.
    EXPECT_EQ(FilesIn(Dir() / "one"), (std::vector<std::string>{"Logical_View-Sheet_#1.svg", "index.html"}));
    EXPECT_TRUE(Contains(r.out, "1 diagram(s) written to one, with index.html; 1 empty diagram(s) skipped")) << r.out;
    // The far view: one warning with its line, drawn at the page's edge.
    EXPECT_TRUE(Contains(r.err, "odd.mdl:13: the NoteView stands far outside the diagram's page")) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    // The link to the file is percent-encoded: a "#" would start an anchor.
    const std::string index = ReadFile(Dir() / "one" / "index.html");
    EXPECT_TRUE(Contains(index, "href=\"Logical_View-Sheet_%231.svg\"")) << "no encoded link";
    EXPECT_TRUE(Contains(index, "An empty diagram"));

    // --scale 2 doubles the picture's size; a scale out of range is a usage error.
    ASSERT_EQ(Run({"diagram", model, "--out", "two", "--scale", "2"}).code, 0);
    auto width = [](const std::string& svg) {
        const size_t at = svg.find(" width=\"");
        return std::atof(svg.c_str() + at + 8);
    };
    const double one = width(ReadFile(Dir() / "one" / "Logical_View-Sheet_#1.svg"));
    EXPECT_GT(one, 0);
    EXPECT_NEAR(width(ReadFile(Dir() / "two" / "Logical_View-Sheet_#1.svg")), 2 * one, 1);
    for (const char* bad : {"0", "9", "x", "-1"})
        EXPECT_EQ(Run({"diagram", model, "--out", "three", "--scale", bad}).code, 2) << bad;
}

TEST_F(DiagramCommand, AFailedPngStopsNeitherTheOthersNorTheReport)
{
    // A folder where one picture should go: that PNG cannot be written.
    fs::create_directories(Dir() / "png" / "Logical_View-Desk-Desk.png");
    Result r = Run({"diagram", EXAMPLE_MODEL, "--out", "png", "--format", "png"});
    if (r.code == 2 && Contains(r.err, "without librsvg"))
        GTEST_SKIP() << "this build has no librsvg: " << r.err;
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "the diagram \"Desk\"")) << r.err;
    EXPECT_TRUE(Contains(r.out, "8 diagram(s) written to png, with index.html; 1 could not be written")) << r.out;
    EXPECT_TRUE(fs::exists(Dir() / "png" / "index.html"));
    EXPECT_TRUE(fs::exists(Dir() / "png" / "Logical_View-Members-Members.png"));
}

} // namespace

namespace {

TEST_F(DiagramCommand, ShowPropertiesPutsChangedOnesFirst)
{
    Result r = Run({"show", EXAMPLE_MODEL, "--properties"});
    ASSERT_EQ(r.code, 0) << r.err;
    // TInterfacedObject changes GenerateCode only: it comes first, with the default beside it.
    const size_t at = r.out.find("class TInterfacedObject");
    ASSERT_NE(at, std::string::npos) << r.out;
    const std::string block = r.out.substr(at, 400);
    EXPECT_TRUE(Contains(block, "Delphi properties (\"Class\" set; * differs from the default):\n"
                                "        * GenerateCode = \"FALSE\" (default \"TRUE\")\n"
                                "          Kind = \"class\"\n"))
        << block;
    // Without the option, no properties.
    EXPECT_FALSE(Contains(Run({"show", EXAMPLE_MODEL}).out, "Delphi properties"));
}

} // namespace
