// vexlo diagram as a user runs it: files named after package path and title, the report,
// one diagram by name, PNG where the build has librsvg, and what a bad run says.
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

} // namespace
