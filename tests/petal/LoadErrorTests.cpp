// Broken input: every failure is one RoseLoadError naming the file, line and column
// (a file that cannot be read at all: the file and the reason, no place in it).
#include "TestSupport.h"

#include <filesystem>

using namespace RoseHost;
using namespace PetalTest;

namespace {

unsigned LinesIn(const std::string& text) { return static_cast<unsigned>(std::count(text.begin(), text.end(), '\n')) + 1; }

// Loads `text` and hands back the error (fails the test when there is none).
RoseLoadError LoadError(const std::string& text, const std::wstring& name, const LoadOptions& o = {})
{
    try {
        LoadRoseModelFromText(text, name, o);
    } catch (const RoseLoadError& e) {
        return e;
    }
    ADD_FAILURE() << "loaded without an error";
    return RoseLoadError(L"", 0, 0, L"");
}

// 1-based line and column of the byte at `pos`.
std::pair<unsigned, unsigned> PlaceOf(const std::string& text, size_t pos)
{
    const unsigned line = static_cast<unsigned>(std::count(text.begin(), text.begin() + static_cast<long>(pos), '\n')) + 1;
    const size_t lineStart = text.rfind('\n', pos == 0 ? 0 : pos - 1);
    const size_t col = lineStart == std::string::npos || pos == 0 ? pos + 1 : pos - lineStart;
    return {line, static_cast<unsigned>(col)};
}

const ModelFile kModels[] = {
    {"examples/Example.mdl", true},
    {"atm.mdl", false},
    {"zelva-design.mdl", false},
    {"library-gbk.mdl", false},
    {"umldemo.mdl", false},
};

class BrokenSamples : public ::testing::TestWithParam<ModelFile> {
protected:
    void SetUp() override
    {
        if (!GetParam().own)
            VEXLO_REQUIRE_SAMPLE_MODELS();
    }
    std::string Text() const { return ReadText(PathOf(GetParam())); }
};

TEST_P(BrokenSamples, TruncatedAnywhereFailsAtTheEnd)
{
    const std::string text = Text();
    ASSERT_FALSE(text.empty());
    const std::wstring name = Widen(GetParam().file);
    std::vector<size_t> cuts;
    for (int percent : {1, 10, 25, 50, 75, 90, 99})
        cuts.push_back(text.size() * static_cast<size_t>(percent) / 100);
    cuts.push_back(text.rfind(')')); // only the last parenthesis missing
    for (size_t cut : cuts) {
        const std::string part = text.substr(0, cut);
        const RoseLoadError e = LoadError(part, name);
        EXPECT_EQ(e.File(), name) << "cut at " << cut;
        EXPECT_GE(e.Line(), 1u);
        EXPECT_LE(e.Line(), LinesIn(part)) << "cut at " << cut;
        EXPECT_GE(e.Column(), 1u);
    }
}

TEST_P(BrokenSamples, MissingParenthesisIsReportedWhereTheNextObjectStarts)
{
    std::string text = Text();
    // Drop the ')' that ends the line with the first class's quid: the object stays open
    // and the next "(object" stands where a field name belongs.
    const size_t cls = text.find("(object Class \"");
    ASSERT_NE(cls, std::string::npos);
    size_t close = std::string::npos;
    for (size_t p = text.find(')', cls); p != std::string::npos && close == std::string::npos; p = text.find(')', p + 1)) {
        const size_t eol = text.find_first_not_of('\r', p + 1);
        if (eol == std::string::npos || text[eol] != '\n')
            continue;
        const size_t next = text.find_first_not_of(" \t", eol + 1);
        if (next != std::string::npos && text.compare(next, 8, "(object ") == 0)
            close = p;
    }
    ASSERT_NE(close, std::string::npos);
    text.erase(close, 1);
    const RoseLoadError e = LoadError(text, L"m.mdl");
    EXPECT_GT(e.Line(), PlaceOf(text, close).first);
    EXPECT_NE(e.Message().find(L"expected a field name"), std::wstring::npos) << e.what();
}

TEST_P(BrokenSamples, UnterminatedStringPointsAtItsQuote)
{
    std::string text = Text();
    const size_t cls = text.find("(object Class \"");
    const size_t quid = text.find("quid", cls);
    const size_t open = text.find('"', quid);
    const size_t close = text.find('"', open + 1);
    text.erase(close, 1);
    const auto [line, column] = PlaceOf(text, open);
    const RoseLoadError e = LoadError(text, L"m.mdl");
    EXPECT_EQ(e.Line(), line);
    EXPECT_EQ(e.Column(), column);
    EXPECT_NE(e.Message().find(L"unterminated string"), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(All, BrokenSamples, ::testing::ValuesIn(kModels), [](const auto& i) {
    std::string n = std::filesystem::path(i.param.file).filename().string();
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return n;
});

class TempDir {
public:
    TempDir()
    {
        m_path = std::filesystem::temp_directory_path() /
                 ("petal_tests_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& Path() const { return m_path; }
    std::wstring Write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream(m_path / name, std::ios::binary) << text;
        return Widen((m_path / name).string());
    }

private:
    std::filesystem::path m_path;
};

const std::string kModelWithUnit =
    "(object Petal version 42)\n"
    "(object Design \"Logical View\"\n"
    "  root_category (object Class_Category \"Logical View\"\n"
    "    quid \"R\"\n"
    "    logical_models (list unit_reference_list\n"
    "      (object Class_Category \"P\"\n"
    "        is_unit TRUE\n"
    "        is_loaded FALSE\n"
    "        file_name \"sub\\\\p.cat\"\n"
    "        quid \"P1\"))))\n";

// A unit named through a path symbol, looked up in the path map in any letter case,
// with or without its "$"; an unknown symbol or a missing unit file is an error at the
// reference.
struct SymbolCase {
    const char* name;
    const wchar_t* symbol; // the path map's entry, nullptr for none
    const char* folder;    // the entry's folder, inside the test's own
    const wchar_t* error;  // nullptr: the unit loads
};

class PathSymbols : public ::testing::TestWithParam<SymbolCase> {};

TEST_P(PathSymbols, ExpandOrFailAtTheReference)
{
    const SymbolCase& c = GetParam();
    std::string text = kModelWithUnit;
    const std::string plain = "sub\\\\p.cat";
    text.replace(text.find(plain), plain.size(), "$UNITS\\\\" + plain);
    TempDir dir;
    dir.Write("units/sub/p.cat", "(object Petal version 42)\n(object Class_Category \"P\"\n  quid \"P1\"\n"
                                 "  logical_models (list unit_reference_list (object Class \"K\" quid \"K1\")))\n");
    const std::wstring model = dir.Write("m.mdl", text);
    LoadOptions o;
    if (c.symbol)
        o.pathMap[c.symbol] = Widen((dir.Path() / c.folder).string());
    if (!c.error) {
        const auto m = LoadRoseModel(model, o);
        ASSERT_EQ(m->allClasses.size(), 1u);
        EXPECT_EQ(m->allClasses[0]->parentCategory->name, L"P");
        return;
    }
    const auto [line, column] = PlaceOf(text, text.find("\"$UNITS"));
    try {
        LoadRoseModel(model, o);
        FAIL() << "no error";
    } catch (const RoseLoadError& e) {
        EXPECT_EQ(e.File(), model);
        EXPECT_EQ(e.Line(), line);
        EXPECT_EQ(e.Column(), column);
        EXPECT_NE(e.Message().find(c.error), std::wstring::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    All, PathSymbols,
    ::testing::Values(SymbolCase{"known", L"UNITS", "units", nullptr},
                      SymbolCase{"any_case_with_dollar_and_slash", L"$units", "units/", nullptr},
                      SymbolCase{"unknown", nullptr, "", L"$UNITS"},
                      SymbolCase{"unit_file_missing", L"UNITS", "elsewhere", L"p.cat"}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(UnitErrors, ErrorInsideAUnitNamesTheUnitFile)
{
    TempDir dir;
    std::filesystem::create_directories(std::filesystem::path(dir.Write("x", "")).parent_path() / "sub");
    dir.Write("sub/p.cat", "(object Petal version 42)\n(object Class_Category \"P\"\n  quid \"P1\"\n  x \"open");
    const std::wstring model = dir.Write("m.mdl", kModelWithUnit);
    try {
        LoadRoseModel(model, LoadOptions{});
        FAIL() << "no error";
    } catch (const RoseLoadError& e) {
        EXPECT_EQ(e.Line(), 4u);
        EXPECT_EQ(e.Column(), 5u);
        EXPECT_NE(e.File().find(L"p.cat"), std::wstring::npos);
    }
    // Repaired, the relative unit is found next to the model.
    dir.Write("sub/p.cat", "(object Petal version 42)\n(object Class_Category \"P\"\n  quid \"P1\"\n"
                           "  logical_models (list unit_reference_list (object Class \"K\" quid \"K1\")))\n");
    const auto m = LoadRoseModel(model, LoadOptions{});
    ASSERT_EQ(m->allClasses.size(), 1u);
    EXPECT_EQ(m->allClasses[0]->parentCategory->name, L"P");
    EXPECT_EQ(m->allClasses[0]->parentCategory->parent, m->rootCategory);
    // Each element knows the file and line of its object: the unit's, or the model's.
    EXPECT_EQ(m->allClasses[0]->line, 4u);
    EXPECT_NE(m->allClasses[0]->SourceFile().find(L"p.cat"), std::wstring::npos);
    EXPECT_EQ(m->rootCategory->line, 3u);
    EXPECT_EQ(m->rootCategory->SourceFile(), model);
    EXPECT_TRUE(m->rootCategory->unitFile.empty());
    // The same model with units left alone.
    LoadOptions noUnits;
    noUnits.loadUnits = false;
    EXPECT_TRUE(LoadRoseModel(model, noUnits)->allClasses.empty());
}

TEST(UnitErrors, UnitThatIncludesItself)
{
    TempDir dir;
    const std::wstring model = dir.Write("m.mdl",
        "(object Design \"Logical View\" root_category (object Class_Category \"Logical View\" logical_models (list L\n"
        "  (object Class_Category \"P\" is_unit TRUE is_loaded FALSE file_name \"p.cat\"))))\n");
    dir.Write("p.cat", "(object Class_Category \"P\" logical_models (list L\n"
                       "  (object Class_Category \"Q\" is_unit TRUE is_loaded FALSE file_name \"p.cat\")))\n");
    try {
        LoadRoseModel(model, LoadOptions{});
        FAIL() << "no error";
    } catch (const RoseLoadError& e) {
        EXPECT_NE(e.Message().find(L"includes itself"), std::wstring::npos);
        EXPECT_NE(e.File().find(L"p.cat"), std::wstring::npos);
        EXPECT_EQ(e.Line(), 2u);
    }
}

struct FileCase {
    const char* name;
    std::string text;
    unsigned line;
    unsigned column;
    const wchar_t* message;
};

class BrokenFiles : public ::testing::TestWithParam<FileCase> {};

TEST_P(BrokenFiles, OneClearError)
{
    const FileCase& c = GetParam();
    const RoseLoadError e = LoadError(c.text, L"x.mdl");
    EXPECT_EQ(e.File(), L"x.mdl");
    EXPECT_EQ(e.Line(), c.line);
    EXPECT_EQ(e.Column(), c.column);
    EXPECT_NE(e.Message().find(c.message), std::wstring::npos) << e.what();
}

INSTANTIATE_TEST_SUITE_P(
    All, BrokenFiles,
    ::testing::Values(
        FileCase{"empty", "", 1, 1, L"no model"},
        FileCase{"header_only", "(object Petal version 42)\n", 1, 1, L"no model"},
        FileCase{"unit_file_as_model", "\n(object Class_Category \"P\")", 2, 1, L"no model"},
        FileCase{"unit_without_file_name",
                 "(object Design \"D\" root_category (object Class_Category \"L\" logical_models (list L\n"
                 "   (object Class_Category \"P\" is_unit TRUE is_loaded FALSE))))",
                 2, 4, L"names no file"},
        // The file's own text is judged before the units it names.
        FileCase{"text_error_after_a_broken_unit",
                 "(object Design \"D\" root_category (object Class_Category \"L\" logical_models (list L\n"
                 "   (object Class_Category \"P\" is_unit TRUE is_loaded FALSE))))\n"
                 "(object X , )",
                 3, 11, L"expected a field name"},
        FileCase{"first_broken_unit_wins",
                 "(object Design \"D\" root_category (object Class_Category \"L\" logical_models (list L\n"
                 "   (object Class_Category \"P\" is_unit TRUE is_loaded FALSE)\n"
                 "   (object Class_Category \"Q\" is_unit TRUE is_loaded FALSE file_name \"no-such.cat\"))))",
                 2, 4, L"names no file"}),
    [](const auto& i) { return std::string(i.param.name); });

// A model that cannot be read says why, without a place in it.
TEST(ModelFile, UnreadableModelSaysWhy)
{
    TempDir dir;
    dir.Write("folder.mdl/inside", "");
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"no-such-model.mdl", L"no such file"},
        {"no-such-folder/m.mdl", L"no such file"},
        {"folder.mdl", L"is a folder"},
    };
    for (const auto& [name, reason] : cases) {
        const std::wstring path = Widen((dir.Path() / name).string());
        try {
            LoadRoseModel(path, LoadOptions{});
            ADD_FAILURE() << name << " loaded";
        } catch (const RoseLoadError& e) {
            EXPECT_EQ(e.File(), path);
            EXPECT_EQ(e.Line(), 0u) << name;
            EXPECT_EQ(e.WideWhat(), path + L": " + reason);
        }
    }
}

} // namespace
