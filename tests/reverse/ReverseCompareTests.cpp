// The round trip's comparison, through declarations as the code readers hand them: a
// table of edits of the code of TDateRange (Delphi) on the example model, each compared
// with what the model generates, written into the model and reloaded.
#include "ModelLoader.h"
#include "ReverseCompare.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace RoseHost;
using namespace VexloCode;
using namespace VexloReverse;

namespace {

std::optional<std::string> Read(const std::wstring& path)
{
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Member Field(std::string name, std::string type, int line)
{
    Member m;
    m.kind = Member::Kind::Field;
    m.name = std::move(name);
    m.type = std::move(type);
    m.visibility = "private";
    m.line = line;
    return m;
}

Member Method(std::string name, std::string type, std::vector<VexloCode::Parameter> ps, std::string id, int line)
{
    Member m;
    m.kind = Member::Kind::Method;
    m.methodKind = type.empty() ? "procedure" : "function";
    m.name = std::move(name);
    m.type = std::move(type);
    m.parameters = std::move(ps);
    m.uniqueId = std::move(id);
    m.visibility = "public";
    m.line = line;
    return m;
}

// TDateRange as the generator writes it (fields, then methods with their zone ids).
CodeFile Generated()
{
    CodeFile f;
    f.path = "Catalog.pas";
    TypeDecl t;
    t.name = "TDateRange";
    t.kind = "object";
    t.uniqueId = "TDateRange%62B0A1C30018.public";
    t.documentation = "A period of days (an old-style object type).";
    t.line = 40;
    t.members = {Field("FStartDate", "TDateTime", 42), Field("FEndDate", "TDateTime", 43),
                 Method("Days", "Integer", {}, "62B0A1C30042", 45),
                 Method("Contains", "Boolean", {{"ADate", "TDateTime", "", ""}}, "62B0A1C30043", 46)};
    f.types.push_back(t);
    return f;
}

Member& Find(CodeFile& f, const std::string& name)
{
    for (Member& m : f.types[0].members)
        if (m.name == name)
            return m;
    throw std::runtime_error("no member " + name);
}

const Class* DateRange(const Model& m) { return m.FindClass(L"TDateRange"); }

struct Row {
    const char* what;
    std::function<void(CodeFile&)> edit;
    std::vector<std::string> lines; // the changes, as --dry-run prints them
    std::function<void(const Class&)> check;
    size_t notReadBack = 0;
};

const Row kRows[] = {
    {"field added", [](CodeFile& f) { f.types[0].members.push_back(Field("FNights", "Integer", 44)); },
     {"add attribute Catalog::TDateRange.Nights: Integer (Catalog.pas:44)"},
     [](const Class& c) {
         ASSERT_EQ(c.attributes.size(), 3u);
         EXPECT_EQ(c.attributes[2]->name, L"Nights");
         EXPECT_EQ(c.attributes[2]->type, L"Integer");
     }},
    {"field renamed and retyped",
     [](CodeFile& f) {
         Find(f, "FEndDate").name = "FLastDay";
         Find(f, "FLastDay").type = "TDate";
     },
     {"rename attribute Catalog::TDateRange.EndDate to LastDay (Catalog.pas:43)",
      "change type of attribute Catalog::TDateRange.EndDate to TDate (Catalog.pas:43)"},
     [](const Class& c) {
         EXPECT_EQ(c.attributes[1]->name, L"LastDay");
         EXPECT_EQ(c.attributes[1]->type, L"TDate");
         EXPECT_EQ(c.attributes[1]->quid, L"62B0A1C30045");
     }},
    {"method renamed (same zone id), result and parameters changed",
     [](CodeFile& f) {
         Member& m = Find(f, "Contains");
         m.name = "Covers";
         m.type = "Integer";
         m.parameters = {{"AFrom", "TDate", "", ""}, {"ATo", "TDate", "", ""}};
     },
     {"rename operation Catalog::TDateRange.Contains to Covers (Catalog.pas:46)",
      "change type of operation Catalog::TDateRange.Contains to Integer (Catalog.pas:46)",
      "change parameters of operation Catalog::TDateRange.Contains to (AFrom: TDate; ATo: TDate) (Catalog.pas:46)"},
     [](const Class& c) {
         const Operation* o = c.operations[1];
         EXPECT_EQ(o->name, L"Covers");
         EXPECT_EQ(o->returnType, L"Integer");
         ASSERT_EQ(o->parameters.size(), 2u);
         EXPECT_EQ(o->parameters[1]->name, L"ATo");
     }},
    {"method added with parameters, visibility and documentation",
     [](CodeFile& f) {
         Member m = Method("Shift", "", {{"ADays", "Integer", "", ""}}, "", 47);
         m.visibility = "protected";
         m.documentation = "Moves both ends.";
         f.types[0].members.push_back(m);
     },
     {"add operation Catalog::TDateRange.Shift(ADays: Integer) (Catalog.pas:47)"},
     [](const Class& c) {
         ASSERT_EQ(c.operations.size(), 3u);
         EXPECT_EQ(c.operations[2]->name, L"Shift");
         EXPECT_EQ(c.operations[2]->exportControl, ProtectedAccess);
         EXPECT_EQ(c.operations[2]->documentation, L"Moves both ends.");
         EXPECT_TRUE(c.operations[2]->returnType.empty());
     }},
    {"documentation of the class and a method",
     [](CodeFile& f) {
         f.types[0].documentation = "Days from\nto.";
         Find(f, "Days").documentation = "How many.";
     },
     {"change documentation of operation Catalog::TDateRange.Days (Catalog.pas:45)",
      "change documentation of class Catalog::TDateRange (Catalog.pas:40)"},
     [](const Class& c) {
         EXPECT_EQ(c.documentation, L"Days from\r\nto.");
         EXPECT_EQ(c.operations[0]->documentation, L"How many.");
     }},
    {"a removal is kept, a var parameter and a field without F are not read back",
     [](CodeFile& f) {
         auto& ms = f.types[0].members;
         ms.erase(ms.begin() + 2); // Days
         ms.push_back(Field("Count", "Integer", 48));
         Member m = Method("Fill", "", {{"AList", "TList", "var", ""}}, "", 49);
         ms.push_back(m);
     },
     {},
     [](const Class& c) { EXPECT_EQ(c.operations.size(), 2u); }, 2},
};

TEST(ReverseCompare, CodeEditsBecomeModelChanges)
{
    const std::wstring example(EXAMPLE_MODEL, EXAMPLE_MODEL + std::strlen(EXAMPLE_MODEL));
    const auto dir = std::filesystem::temp_directory_path() / ("vexlo-rc-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        auto model = LoadRoseModel(example, {});
        CodeFile user = Generated();
        row.edit(user);
        Comparison none, result;
        CompareFile(*model, Generated(), Generated(), "Catalog.pas", false, none);
        EXPECT_TRUE(none.changes.empty() && none.kept.empty() && none.notReadBack.empty());
        CompareFile(*model, Generated(), user, "Catalog.pas", false, result);
        std::vector<std::string> lines;
        for (const ModelChange& c : result.changes)
            lines.push_back(c.line);
        EXPECT_EQ(lines, row.lines);
        EXPECT_EQ(result.notReadBack.size(), row.notReadBack);
        VexloModelWriter::ModelWriter writer(*model, Read);
        for (const ModelChange& c : result.changes)
            (void)c.apply(writer);
        auto texts = writer.Texts();
        const std::filesystem::path out = dir / "Example.mdl";
        std::ofstream(out, std::ios::binary) << (texts.empty() ? *Read(example) : texts.begin()->second);
        auto reloaded = LoadRoseModel(out.wstring(), {});
        EXPECT_EQ(reloaded->unresolved.size(), model->unresolved.size());
        row.check(*DateRange(*reloaded));
    }
    // --prune takes the removed declaration's element out.
    auto model = LoadRoseModel(example, {});
    CodeFile user = Generated();
    user.types[0].members.erase(user.types[0].members.begin() + 2);
    Comparison pruned;
    CompareFile(*model, Generated(), user, "Catalog.pas", true, pruned);
    ASSERT_EQ(pruned.changes.size(), 1u);
    EXPECT_EQ(pruned.changes[0].line, "remove operation Catalog::TDateRange.Days (its declaration is gone from Catalog.pas)");
    std::filesystem::remove_all(dir);
}

} // namespace
