// vexlo diff as a user and git run it: exit codes, formats, the component folders and
// generated files, --git REV in a real repository, and git's external diff driver.
#include "CliTestSupport.h"

namespace {

using namespace CliTest;

// The example with one substitution (the first `from` after the first `anchor`).
std::string Edited(const std::string& anchor, const std::string& from, const std::string& to)
{
    std::string text = ReadFile(EXAMPLE_MODEL);
    const size_t pos = text.find(from, text.find(anchor));
    EXPECT_NE(pos, std::string::npos) << from;
    return pos == std::string::npos ? text : text.replace(pos, from.size(), to);
}

const char* const kRetype = "~ operation Catalog::TBook.LoanDays: result Integer → Word\n";

class DiffCommandTest : public VexloRunTest {
protected:
    void SetUp() override
    {
        VexloRunTest::SetUp();
        WriteFile(Dir() / "old.mdl", ReadFile(EXAMPLE_MODEL));
        WriteFile(Dir() / "retyped.mdl", Edited("quid       \t\"62B0A1C30059\"", "\"Integer\"", "\"Word\""));
        WriteFile(Dir() / "moved.mdl", Edited("\"Logical View::Catalog::ICatalogEvents\" @139", "(572, 255)", "(772, 255)"));
        WriteFile(Dir() / "folder.mdl", Edited("(object SubSystem \"Delphi\"", "\"AUTO GENERATE\"", "\"src\""));
        WriteFile(Dir() / "notes.mdl", Edited("(object ClassAttribute \"Notes\"", "Not generated", "Never generated"));
        WriteFile(Dir() / "broken.mdl", Edited("(object Class \"TBook\"", "(object Class \"TBook\"", "(object Class \"TBook\" ("));
    }

    Result Git(const std::string& args) const
    {
        Result r;
        r.code = std::system(("cd " + Quote(Dir().string()) + " && git " + args + " >git.out 2>git.err").c_str());
        r.code = WIFEXITED(r.code) ? WEXITSTATUS(r.code) : -1;
        r.out = ReadFile(Dir() / "git.out");
        r.err = ReadFile(Dir() / "git.err");
        return r;
    }
};

TEST_F(DiffCommandTest, ExitCodesFormatsAndWhatTheCodeSees)
{
    const struct {
        std::vector<std::string> args;
        int code;
        std::string out;      // the whole standard output, or "" to skip
        std::string contains; // in standard output (or, for errors, standard error)
    } rows[] = {
        {{"diff", "old.mdl", "old.mdl"}, 0, "no change of the design\n", ""},
        {{"diff", "old.mdl", "retyped.mdl"}, 1, std::string("Catalog\n  ") + kRetype + "1 change (0 added, 0 removed, 1 changed)\n", ""},
        {{"diff", "old.mdl", "moved.mdl"}, 0,
         "Diagrams\n  ~ diagram Catalog::Catalog: layout (1 view moved)\n"
         "no change of the design; 1 diagram change (pictures only)\n",
         ""},
        {{"diff", "old.mdl", "retyped.mdl", "--code"}, 1, "",
         "Generated files the change alters:\n  generated\\Delphi\\Catalog.pas\n1 change"},
        // Generated to compare: documentation of a member that is not generated alters no file.
        {{"diff", "old.mdl", "notes.mdl", "--code"}, 1, "", "Generated files the change alters: none\n"},
        // A component package with a folder of its own: the files of the changed components.
        {{"diff", "old.mdl", "folder.mdl", "--code"}, 1, "", "Generated files the change alters:\n  SRC\\Catalog.pas\n"},
        {{"diff", "old.mdl", "folder.mdl"}, 1, "",
         "  ~ property Delphi.Directory of component package Delphi: \"AUTO GENERATE\" → \"src\"\n"
         "  ~ component Catalog: Directory \"generated\\Delphi\" → \"SRC\"\n"},
        {{"diff", "old.mdl", "retyped.mdl", "--format", "json"}, 1, "",
         "\"summary\": {\"added\": 0, \"removed\": 0, \"changed\": 1, \"diagrams\": 0, \"designChanged\": true}"},
        {{"diff", "old.mdl", "retyped.mdl", "--format=markdown"}, 1, "",
         "| Members | 0 | 0 | 1 |\n\n#### Catalog (1 change)\n\n```diff\n" + std::string(kRetype) + "```\n"},
        {{"diff", "old.mdl", "broken.mdl"}, 3, "", "vexlo: broken.mdl:469:"},
        {{"diff", "old.mdl", "missing.mdl"}, 3, "", "missing.mdl"},
        {{"diff", "old.mdl"}, 2, "", "diff needs two models"},
        {{"diff", "old.mdl", "retyped.mdl", "--format", "html"}, 2, "", "--format must be text, markdown or json"},
        {{"diff", "old.mdl", "retyped.mdl", "--pictures", "old.mdl"}, 2, "", "cannot create the folder old.mdl"},
    };
    for (const auto& row : rows) {
        const Result r = Run(row.args);
        std::string line;
        for (const std::string& a : row.args)
            line += a + " ";
        EXPECT_EQ(r.code, row.code) << line << r.err;
        if (!row.out.empty()) {
            EXPECT_EQ(r.out, row.out) << line;
        }
        EXPECT_TRUE(Contains(row.code >= 2 ? r.err : r.out, row.contains)) << line << "\n" << r.out << r.err;
    }
}

// JSON that a JSON reader takes (quotes and backslashes of values escaped), one object per
// line of the text report.
TEST_F(DiffCommandTest, JsonReadsBackWithEveryLine)
{
    const Result text = Run({"diff", "old.mdl", "folder.mdl"});
    const Result json = Run({"diff", "old.mdl", "folder.mdl", "--format", "json"});
    ASSERT_EQ(json.code, 1) << json.err;
    WriteFile(Dir() / "diff.json", json.out);
    const std::string script = "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); "
                               "print('\\n'.join(c['text'] for c in d['changes']))";
    const int code = std::system(("cd " + Quote(Dir().string()) + " && python3 -c " + Quote(script) +
                                  " diff.json > lines.txt 2> json.err").c_str());
    ASSERT_EQ(code, 0) << ReadFile(Dir() / "json.err");
    std::string lines;
    for (size_t at = 0; at < text.out.size();) {
        const size_t end = text.out.find('\n', at);
        const std::string line = text.out.substr(at, end - at);
        if (line.rfind("  ", 0) == 0)
            lines += line.substr(2) + "\n";
        at = end + 1;
    }
    EXPECT_EQ(ReadFile(Dir() / "lines.txt"), lines);
}

TEST_F(DiffCommandTest, PicturesPageForEachChangedDiagram)
{
    const Result r = Run({"diff", "old.mdl", "retyped.mdl", "--pictures", "pictures"});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_TRUE(Contains(r.err, "vexlo: 1 changed diagram(s) drawn in pictures/index.html")) << r.err;
    const std::string page = ReadFile(Dir() / "pictures" / "Catalog-Catalog.html");
    EXPECT_TRUE(Contains(page, "data-change=\"changed\"")) << page.substr(0, 400);
    EXPECT_TRUE(Contains(ReadFile(Dir() / "pictures" / "index.html"), "href=\"Catalog-Catalog.html\""));
}

// --git REV takes the old model from the repository; git's own diff runs vexlo as its
// external diff driver, as docs/REVIEW.md configures it.
TEST_F(DiffCommandTest, GitRevisionAndDiffDriver)
{
    fs::create_directories(Dir() / "model");
    WriteFile(Dir() / "model" / "Library.mdl", ReadFile(EXAMPLE_MODEL));
    ASSERT_EQ(Git("init -q && git config user.email t@example.org && git config user.name t && git add . && git commit -qm one").code, 0);
    WriteFile(Dir() / "model" / "Library.mdl", ReadFile(Dir() / "retyped.mdl"));

    const Result named = Run({"diff", "--git", "HEAD", "Library.mdl"}, "model");
    EXPECT_EQ(named.code, 1) << named.err;
    EXPECT_TRUE(Contains(named.out, kRetype)) << named.out;
    const Result found = Run({"diff", "--git", "HEAD"});
    EXPECT_EQ(found.code, 1) << found.err;
    EXPECT_EQ(found.out.substr(0, 73), "vexlo diff HEAD:model/Library.mdl model/Library.mdl\nCatalog\n  ~ operation")
        << "each model found is named";
    WriteFile(Dir() / "later.mdl", ReadFile(EXAMPLE_MODEL));
    const Result added = Run({"diff", "--git", "HEAD", "later.mdl"});
    EXPECT_EQ(added.code, 1);
    EXPECT_TRUE(Contains(added.err, "HEAD:later.mdl does not exist: the model is new")) << added.err;
    EXPECT_TRUE(Contains(added.out, "Catalog\n  + package Catalog\n  + class Catalog::IBorrowable (component Catalog)\n"))
        << added.out;
    const Result badRevision = Run({"diff", "--git", "no-such-branch", "model/Library.mdl"});
    EXPECT_EQ(badRevision.code, 2);
    EXPECT_TRUE(Contains(badRevision.err, "git could not find the revision")) << badRevision.err;

    WriteFile(Dir() / ".gitattributes", "*.mdl diff=rose\n");
    const std::string driver = "env VEXLO_REGISTRY=" + Quote((Dir() / "registry.reg").string()) + " " + Quote(VEXLO_EXE) + " diff";
    ASSERT_EQ(Git("config diff.rose.command " + Quote(driver)).code, 0);
    const Result diff = Git("diff");
    EXPECT_EQ(diff.code, 0) << diff.err;
    EXPECT_TRUE(Contains(diff.out, "vexlo diff a/model/Library.mdl b/model/Library.mdl\nCatalog\n  " + std::string(kRetype)))
        << diff.out << diff.err;
    EXPECT_FALSE(Contains(diff.out, "@@")) << "the text diff of the model file";
}

} // namespace
