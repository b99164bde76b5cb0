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
