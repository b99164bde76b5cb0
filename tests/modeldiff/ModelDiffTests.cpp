// The model diff through loaded models: each row edits a copy of a model's text (small
// substitutions, as a user's change in Rose would write them) and expects exactly the
// lines of the diff.
#include "ModelDiff.h"
#include "ModelLoader.h"
#include "PicturesPage.h"
#include "Report.h"
#include "SampleModels.h"
#include "diagrams/DiagramReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace RoseHost;
using namespace VexloDiff;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the first `from` at or after the first `anchor` ("" = the start of the text).
struct Edit {
    std::string anchor, from, to;
};

// Text between the first `begin` and the first `end` after it (excluded) moved to just
// before `before` ("" = removed).
struct Cut {
    std::string begin, end, before;
};

void Apply(std::string& text, const Edit& e)
{
    const size_t at = e.anchor.empty() ? 0 : text.find(e.anchor);
    ASSERT_NE(at, std::string::npos) << "anchor not in the model: " << e.anchor;
    const size_t pos = text.find(e.from, at);
    ASSERT_NE(pos, std::string::npos) << "text not in the model after " << e.anchor << ": " << e.from;
    text.replace(pos, e.from.size(), e.to);
}

void Apply(std::string& text, const Cut& c)
{
    const size_t begin = text.find(c.begin);
    ASSERT_NE(begin, std::string::npos) << c.begin;
    const size_t end = text.find(c.end, begin);
    ASSERT_NE(end, std::string::npos) << c.end;
    const std::string block = text.substr(begin, end - begin);
    text.erase(begin, end - begin);
    if (c.before.empty())
        return;
    const size_t at = text.find(c.before);
    ASSERT_NE(at, std::string::npos) << c.before;
    text.insert(at, block);
}

struct Loaded {
    std::unique_ptr<Model> model;
    Diagrams::DiagramSet diagrams;
};

Loaded Load(const std::string& text, const fs::path& file)
{
    LoadOptions options;
    // The Chinese sample is GBK, as its header's "charSet 134" says (vexlo reads it so).
    if (text.find("charSet    \t134") != std::string::npos)
        options.codePage = 936;
    options.pathMap[L"VABASE_PLUGINS_PATH"] = (fs::path(SampleFolder::Dir()) / "emf" / "plugins").wstring();
    Diagrams::DiagramReader reader;
    reader.Attach(options);
    Loaded loaded;
    loaded.model = LoadRoseModelFromText(text, file.wstring(), options);
    loaded.diagrams = reader.Finish(*loaded.model);
    return loaded;
}

DiffResult Diff(const Loaded& a, const Loaded& b)
{
    DiffResult result = CompareModels(*a.model, *b.model);
    CompareDiagrams(a.diagrams, b.diagrams, result);
    return result;
}

std::vector<std::string> Lines(const DiffResult& result)
{
    std::vector<std::string> lines;
    for (const Change& c : result.changes)
        lines.push_back(c.text);
    return lines;
}

fs::path ModelPath(const std::string& model)
{
    return model == "example" ? fs::path(VEXLO_SOURCE_DIR) / "examples" / "Example.mdl" : fs::path(SampleFolder::Dir()) / model;
}

struct Case {
    const char* name;
    const char* model; // "example" or a file of the sample models
    std::vector<Edit> edits;
    std::vector<Cut> cuts;
    std::vector<std::string> expected;
    bool design = true; // the design changed (exit code 1), not the pictures only
    std::vector<Edit> both = {}; // made in both versions first
};

const char* const kJournal = "\t\t    (object Class \"TJournal\"\n"
                             "\t\t\tquid       \t\"62B0A1C3F001\"\n"
                             "\t\t\tsuperclasses \t(list inheritance_relationship_list\n"
                             "\t\t\t    (object Inheritance_Relationship\n"
                             "\t\t\t\tquid       \t\"62B0A1C3F002\"\n"
                             "\t\t\t\tsupplier   \t\"Logical View::Catalog::TItem\"\n"
                             "\t\t\t\tquidu      \t\"62B0A1C30019\"))\n"
                             "\t\t\tclass_attributes \t(list class_attribute_list\n"
                             "\t\t\t    (object ClassAttribute \"Volume\"\n"
                             "\t\t\t\tquid       \t\"62B0A1C3F003\"\n"
                             "\t\t\t\ttype       \t\"Integer\"))\n"
                             "\t\t\tmodule     \t\"Component View::Delphi::Catalog\"\n"
                             "\t\t\tquidu      \t\"62B0A1C30007\"\n"
                             "\t\t\tlanguage   \t\"Delphi\")\n";

const std::vector<Case> kCases = {
    {"rename an attribute", "example", {{"", "(object ClassAttribute \"Notes\"", "(object ClassAttribute \"Comment\""}}, {},
     {"~ attribute Catalog::TItem.Notes → Comment"}},
    {"retype an operation's result", "example", {{"quid       \t\"62B0A1C30059\"", "\"Integer\"", "\"Word\""}}, {},
     {"~ operation Catalog::TBook.LoanDays: result Integer → Word"}},
    {"a tool property", "example",
     {{"(object ClassAttribute \"Title\"", "\"IsProperty\"\n\t\t\t\t\tvalue      \tTRUE", "\"IsProperty\"\n\t\t\t\t\tvalue      \tFALSE"}}, {},
     {"~ property Delphi.IsProperty of Catalog::TItem.Title: True → False"}},
    {"documentation", "example", {{"", "|Anything the library lends.", "|Anything the library lends to its members."}}, {},
     {"~ documentation of Catalog::TItem: Anything the library [-lends.-] {+lends to its members.+} Subclasses say for …"}},
    {"add a class with a member", "example", {{"", "\t\t    (object Class \"TCatalog\"", std::string(kJournal) + "\t\t    (object Class \"TCatalog\""}}, {},
     {"+ class Catalog::TJournal (superclass TItem; component Catalog)", "+ attribute Catalog::TJournal.Volume (type Integer)"}},
    {"remove an association", "example", {}, {{"\t\t    (object Association \"$UNNAMED$5\"", "\t\t    (object Association \"$UNNAMED$7\"", ""}},
     {"- role Catalog::TItem.(to TLoan)", "- role Members::TLoan.Item"}},
    {"move a class to another package and component", "example",
     {{"(object Class \"TLoanService\"", "\"Component View::Delphi::Members\"\n\t\t\tquidu      \t\"62B0A1C30008\"",
       "\"Component View::Delphi::Catalog\"\n\t\t\tquidu      \t\"62B0A1C30007\""}},
     {{"\t\t    (object Class \"TLoanService\"", "\t\t    (object Association \"$UNNAMED$2\"", "\t\t    (object Class \"TCatalog\""}},
     {"~ class Members::TLoanService → Catalog::TLoanService", "~ class Catalog::TLoanService: component Members → Catalog"}},
    {"add a parameter, remove a dependency", "example",
     {{"(object Parameter \"ADate\"", "\"TDateTime\")", "\"TDateTime\")\n\t\t\t\t    (object Parameter \"AFrom\"\n\t\t\t\t\ttype       \t\"TDate\")"}},
     {{"\t\t\tused_nodes \t(list uses_relationship_list\n\t\t\t    (object Uses_Relationship\n\t\t\t\tquid       \t\"62B0A1C30081\"",
       "\t\t\toperations", ""}},
     {"+ parameter Catalog::TDateRange.Contains(AFrom) (type TDate)", "- dependency Members::TLoanService → TCatalog"}},
    {"a component package's folder", "example",
     {{"(object SubSystem \"Delphi\"", "\"AUTO GENERATE\"", "\"src\\\\delphi\""}}, {},
     {"~ property Delphi.Directory of component package Delphi: \"AUTO GENERATE\" → \"src\\delphi\""}},
    {"a view moved only", "example", {{"\"Logical View::Catalog::ICatalogEvents\" @139", "(572, 255)", "(772, 255)"}}, {},
     {"~ diagram Catalog::Catalog: layout (1 view moved)"}, false},
    {"remove a class", "example", {}, {{"\t\t    (object Class \"TDateRange\"", "\t\t    (object Class \"TItem\"", ""}},
     {"- class Catalog::TDateRange"}},
    {"rename a package and a component", "example",
     {{"", "(object Class_Category \"Members\"", "(object Class_Category \"Lending\""},
      {"", "(object module \"Members\"", "(object module \"Loans\""}}, {},
     {"~ package Members → Lending", "~ component Members → Loans"}},
    {"reorder parameters", "example",
     {{"quid       \t\"62B0A1C30082\"", "\"AMember\"\n\t\t\t\t\ttype       \t\"TMember\")\n\t\t\t\t    (object Parameter \"AItem\"\n\t\t\t\t\ttype       \t\"TItem\")",
       "\"AItem\"\n\t\t\t\t\ttype       \t\"TItem\")\n\t\t\t\t    (object Parameter \"AMember\"\n\t\t\t\t\ttype       \t\"TMember\")"}}, {},
     {"~ operation Members::TLoanService.Lend: parameter order AMember, AItem → AItem, AMember"}},
    {"an element without id, paired by name", "example", {{"(object ClassAttribute \"Notes\"", "\"string\"", "\"WideString\""}}, {},
     {"~ attribute Catalog::TItem.Notes: type string → WideString"}, true,
     {{"(object ClassAttribute \"Notes\"", "quid       \t\"62B0A1C30054\"\n", ""}}},
    {"role, superclass, abstract and stereotype", "example",
     {{"(object Role \"Loans\"", "\"0..n\"", "\"1..n\""},
      {"quid       \t\"62B0A1C3005E\"", "\"Logical View::Catalog::TItem\"\n\t\t\t\tquidu      \t\"62B0A1C30019\"",
       "\"Logical View::Catalog::TBook\"\n\t\t\t\tquidu      \t\"62B0A1C3001A\""},
      {"", "quid       \t\"62B0A1C30019\"", "quid       \t\"62B0A1C30019\"\n\t\t\tabstract   \tTRUE"},
      {"", "quid       \t\"62B0A1C3001C\"", "quid       \t\"62B0A1C3001C\"\n\t\t\tstereotype \t\"entity\""}},
     {},
     {"~ class Catalog::TCatalog: stereotype (none) → entity", "~ class Catalog::TItem: abstract False → True",
      "~ generalization Catalog::TMagazine → TBook: supplier TItem → TBook", "~ role Members::TMember.Loans: multiplicity 0..n → 1..n"}},
    {"a C# property", "example", {{"(object Class \"Book\"", "(\"InheritanceSet\" 222)", "(\"InheritanceSet\" 221)"}}, {},
     {"~ property C#.Inheritance of LendingServer::Model::Book: sealed → abstract"}},
    {"a view resized, restyled and one taken out", "example",
     {{"\"Logical View::Catalog::TBook\" @146", "width      \t", "width      \t1"},
      {"\"Logical View::Catalog::TItem\" @", "fill_color \t13434879\n\t\t    \t    quidu", "fill_color \t255\n\t\t    \t    quidu"}},
     {{"\t\t    \t(object ClassView \"Class\" \"Logical View::Catalog::TDateRange\" @145", "\t\t    \t(object ClassView \"Class\" \"Logical View::Catalog::TBook\"", ""}},
     {"~ diagram Catalog::Catalog: no longer shows TDateRange; layout (1 resized, 1 restyled)"}, false},
    {"rename a class at the top", "atm.mdl", {{"", "(object Class \"user\"", "(object Class \"customer\""}}, {},
     {"~ class user → customer"}},
    {"give an attribute a type, drop a dependency", "atm.mdl",
     {{"", "quid       \t\"5AAB61D902B6\"", "quid       \t\"5AAB61D902B6\"\n\t\t\ttype       \t\"String\""}},
     {{"\t\tused_nodes \t(list uses_relationship_list\n\t\t    (object Uses_Relationship\n\t\t\tquid       \t\"5AAB6396003C\"", "\t\toperations", ""}},
     {"- dependency ATM → account", "~ attribute user.name: type (none) → String"}},
    // The other ends are use cases, which the host answers as classes it only names.
    {"rename a class at a use case's end", "library-gbk.mdl",
     {{"", "(object Class \"\xb6\xc1\xd5\xdf\"", "(object Class \"\xb6\xc1\xd5\xdf\xd0\xc2\""}}, {},
     {"~ class Use Case View::读者 → 读者新"}},
    {"a component's property and stereotype", "zelva-design.mdl",
     {{"(object module \"defines\"", "\"defines.h\")", "\"defs.h\")"},
      {"(object module \"defines\"", "\"Package Specification\"", "\"Package Body\""}}, {},
     {"~ component defines: stereotype \"Package Specification\" → \"Package Body\"",
      "~ property cg.FileName of component defines: \"defines.h\" → \"defs.h\""}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class ModelDiffEdits : public ::testing::TestWithParam<Case> {};

TEST_P(ModelDiffEdits, GivesExactlyTheExpectedLines)
{
    const Case& c = GetParam();
    if (std::string(c.model) != "example" && !SampleFolder::Present())
        GTEST_SKIP() << SampleFolder::MissingNote();
    const fs::path path = ModelPath(c.model);
    std::string before = ReadText(path);
    for (const Edit& edit : c.both)
        Apply(before, edit);
    std::string after = before;
    for (const Cut& cut : c.cuts)
        Apply(after, cut);
    for (const Edit& edit : c.edits)
        Apply(after, edit);
    if (HasFatalFailure())
        return;
    const Loaded a = Load(before, path), b = Load(after, path);
    const DiffResult result = Diff(a, b);
    EXPECT_EQ(Lines(result), c.expected);
    EXPECT_EQ(result.DesignChanged(), c.design);
}

INSTANTIATE_TEST_SUITE_P(Edits, ModelDiffEdits, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string name;
    for (char ch : std::string(info.param.name))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
});

// Every model compared with itself, and with a second load of its text: nothing.
TEST(ModelDiff, AModelComparedWithItselfIsEmpty)
{
    std::vector<fs::path> models{ModelPath("example")};
    if (SampleFolder::Present())
        for (const char* m : {"atm.mdl", "zelva-design.mdl", "umldemo.mdl", "library-gbk.mdl",
                              "emf/plugins/org.eclipse.emf.ecore/model/Ecore.mdl"})
            models.push_back(ModelPath(m));
    for (const fs::path& path : models) {
        const std::string text = ReadText(path);
        const Loaded a = Load(text, path), b = Load(text, path);
        const DiffResult result = Diff(a, b);
        EXPECT_EQ(Lines(result), std::vector<std::string>()) << path;
        EXPECT_TRUE(result.marks.empty()) << path;
    }
}

TEST(ModelDiff, DocumentationReadsAsAShortWordDiff)
{
    const struct {
        const char *before, *after, *expected;
    } rows[] = {
        {"", "Lends items.", "{+Lends items.+}"},
        {"Lends items.", "", "[-Lends items.-]"},
        {"one two three four five six", "one two three FOUR five six", "one two three [-four-] {+FOUR+} five six"},
        {"a b c d e f g h", "a b c d e X f g h", "… c d e {+X+} f g h"},
        {"a b\r\nc", "a  b c", "blanks and line breaks only"},
        {"w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 w11 w12 w13 w14", "", "[-w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 w11 w12 …-]"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WordDiff(row.before, row.after), row.expected) << row.before << " | " << row.after;
}

// The reports carry the same lines: Markdown in ```diff blocks under a summary table, JSON
// with one object per line.
TEST(ModelDiff, ReportsCarryTheLines)
{
    const fs::path path = ModelPath("example");
    const std::string before = ReadText(path);
    std::string after = before;
    Apply(after, Edit{"quid       \t\"62B0A1C30059\"", "\"Integer\"", "\"Word\""});
    Apply(after, Edit{"\"Logical View::Catalog::ICatalogEvents\" @139", "(572, 255)", "(772, 255)"});
    const Loaded a = Load(before, path), b = Load(after, path);
    const DiffResult result = Diff(a, b);
    ReportInput input{"old.mdl", "new.mdl", &result, true, {"C:\\out\\Catalog.pas"}, ""};
    const std::string text = TextReport(input);
    EXPECT_EQ(text, "Catalog\n  ~ operation Catalog::TBook.LoanDays: result Integer → Word\n"
                    "Diagrams\n  ~ diagram Catalog::Catalog: layout (1 view moved)\n"
                    "Generated files the change alters:\n  C:\\out\\Catalog.pas\n"
                    "1 change (0 added, 0 removed, 1 changed); 1 diagram change (pictures only)\n");
    const std::string md = MarkdownReport(input);
    EXPECT_NE(md.find("| Members | 0 | 0 | 1 |"), std::string::npos) << md;
    EXPECT_NE(md.find("| Diagrams | 0 | 0 | 1 |"), std::string::npos) << md;
    EXPECT_NE(md.find("#### Catalog (1 change)\n\n```diff\n~ operation Catalog::TBook.LoanDays: result Integer → Word\n```"),
              std::string::npos)
        << md;
    const std::string json = JsonReport(input);
    EXPECT_NE(json.find("{\"change\": \"changed\", \"kind\": \"operation\", \"element\": \"Catalog::TBook.LoanDays\", \"id\": "
                        "\"62B0A1C30059\", \"group\": \"Catalog\", \"owner\": \"Catalog::TBook\", \"field\": \"result\", "
                        "\"before\": \"Integer\", \"after\": \"Word\", \"layout\": false"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"code\": [\"C:\\\\out\\\\Catalog.pas\"]"), std::string::npos) << json;

    // A group of more than 15 lines is folded: every "string" and "Integer" type retyped.
    std::string many = before;
    for (const char* type : {"\"string\"", "\"Integer\""})
        for (size_t at = many.find(type); at != std::string::npos; at = many.find(type, at + 1))
            many.replace(at, std::string(type).size(), "\"WideStr\"");
    const Loaded c = Load(many, path);
    const DiffResult wide = Diff(a, c);
    ReportInput longInput{"old.mdl", "new.mdl", &wide, false, {}, ""};
    const std::string folded = MarkdownReport(longInput);
    EXPECT_NE(folded.find("<details><summary><b>Catalog ("), std::string::npos) << folded.substr(0, 600);
    EXPECT_NE(folded.find("```\n\n</details>"), std::string::npos);
}

// The pictures: the changed diagrams only, the edited class amber on both sides, a new
// class's view green, the rest faded.
TEST(ModelDiff, PicturesMarkTheChangedViews)
{
    const fs::path path = ModelPath("example");
    const std::string before = ReadText(path);
    std::string after = before;
    Apply(after, Edit{"quid       \t\"62B0A1C30059\"", "\"Integer\"", "\"Word\""});
    const Loaded a = Load(before, path), b = Load(after, path);
    const DiffResult result = Diff(a, b);
    const std::vector<PicturePage> pages = PicturePages(a.diagrams, b.diagrams, result, "old.mdl", "new.mdl");
    std::vector<std::string> titles;
    for (const PicturePage& p : pages)
        titles.push_back(p.title);
    EXPECT_EQ(titles, std::vector<std::string>({"Catalog::Catalog"})); // the one diagram that shows TBook
    ASSERT_FALSE(pages.empty());
    const std::string& html = pages[0].html;
    EXPECT_EQ(pages[0].changed, 2u); // TBook's box, before and after
    EXPECT_EQ(pages[0].added + pages[0].removed, 0u);
    size_t svgs = 0;
    for (size_t at = html.find("<svg"); at != std::string::npos; at = html.find("<svg", at + 1))
        ++svgs;
    EXPECT_EQ(svgs, 2u) << "both sides are drawn";
    EXPECT_NE(html.find("data-change=\"changed\""), std::string::npos);
    EXPECT_NE(html.find("data-change=\"unchanged\""), std::string::npos);
}

} // namespace
