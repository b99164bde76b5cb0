// The petal reader on small texts: the tree it builds and the place of every error.
#include "PetalParser.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace RoseHost;

namespace {

PetalDocument Parse(const std::string& text) { return ParsePetal(text, L"t.mdl"); }

PetalNode Root(const PetalDocument& d, size_t i = 0) { return d[d.roots.at(i)]; }

struct TreeCase {
    const char* name;
    std::string text;
    std::function<void(const PetalDocument&)> check;
};

class PetalTree : public ::testing::TestWithParam<TreeCase> {};

TEST_P(PetalTree, BuildsTheExpectedTree)
{
    const TreeCase& c = GetParam();
    const PetalDocument d = Parse(c.text);
    c.check(d);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, PetalTree,
    ::testing::Values(
        TreeCase{"header", "\n(object Petal\n    version    \t42\n    _written   \t\"Rose 4.5\"\n    charSet    \t0)\n",
                 [](const PetalDocument& d) {
                     ASSERT_EQ(d.roots.size(), 1u);
                     const PetalNode& p = Root(d);
                     EXPECT_EQ(p.kind, PetalKind::Object);
                     EXPECT_EQ(p.text, "Petal");
                     EXPECT_EQ(p.line, 2u);
                     EXPECT_EQ(p.column, 1u);
                     ASSERT_EQ(p.keys, (std::vector<std::string>{"version", "_written", "charSet"}));
                     EXPECT_EQ(d[p.children[0]].kind, PetalKind::Number);
                     EXPECT_EQ(d[p.children[0]].text, "42");
                     EXPECT_EQ(d[p.children[1]].kind, PetalKind::String);
                     EXPECT_EQ(d[p.children[1]].text, "Rose 4.5");
                     EXPECT_EQ(d[p.children[1]].line, 4u);
                 }},
        TreeCase{"names and tag", "(object module \"defines\" \"PackageType\" \"Specification\" @12 quid \"Q1\")",
                 [](const PetalDocument& d) {
                     const PetalNode& m = Root(d);
                     EXPECT_EQ(m.names, (std::vector<std::string>{"defines", "PackageType", "Specification"}));
                     EXPECT_EQ(m.tag, "12");
                     ASSERT_NE(d.Field(m, "quid"), nullptr);
                     EXPECT_EQ(d.Field(m, "quid")->text, "Q1");
                     EXPECT_EQ(d.Field(m, "nothing"), nullptr);
                 }},
        TreeCase{"string escapes", R"((object X path "g:\\src\\a.h" say "a \"b\"" raw "x\ty"))",
                 [](const PetalDocument& d) {
                     const PetalNode& x = Root(d);
                     EXPECT_EQ(d.Field(x, "path")->text, "g:\\src\\a.h");
                     EXPECT_EQ(d.Field(x, "say")->text, "a \"b\"");
                     EXPECT_EQ(d.Field(x, "raw")->text, "x\\ty");
                 }},
        TreeCase{"name with a line break", "(object Processor \"ab\r\ncd\"\r\n\tquid \"Q\")",
                 [](const PetalDocument& d) {
                     EXPECT_EQ(Root(d).names.at(0), "ab\r\ncd");
                     EXPECT_EQ(d.Field(Root(d), "quid")->line, 3u);
                 }},
        TreeCase{"text block", "(object X\n\tdocumentation \t\n|first line\n|\n|third\n\t\n\tquid \"Q\")",
                 [](const PetalDocument& d) {
                     const PetalField t = d.Field(Root(d), "documentation");
                     ASSERT_NE(t, nullptr);
                     EXPECT_EQ(t->kind, PetalKind::Text);
                     EXPECT_EQ(t->text, "first line\r\n\r\nthird");
                     EXPECT_EQ(d.Field(Root(d), "quid")->line, 7u);
                 }},
        TreeCase{"text block with CR LF", "(object X\r\n\tdocumentation \r\n|one\r\n|two\r\n\tquid \"Q\")",
                 [](const PetalDocument& d) {
                     EXPECT_EQ(d.Field(Root(d), "documentation")->text, "one\r\ntwo");
                     EXPECT_EQ(d.Field(Root(d), "quid")->line, 5u);
                 }},
        TreeCase{"value tuple with text", "(object X value (value Text \n|a\n|b\n\t))",
                 [](const PetalDocument& d) {
                     const PetalField v = d.Field(Root(d), "value");
                     ASSERT_EQ(v->kind, PetalKind::ValueTuple);
                     EXPECT_EQ(v->text, "Text");
                     ASSERT_EQ(v->children.size(), 1u);
                     EXPECT_EQ(d[v->children[0]].text, "a\r\nb");
                 }},
        TreeCase{"plain tuples", "(object X location (1136, -544) value (\"DataBaseSet\" 800) f 0.250000)",
                 [](const PetalDocument& d) {
                     const PetalField loc = d.Field(Root(d), "location");
                     ASSERT_EQ(loc->kind, PetalKind::Tuple);
                     ASSERT_EQ(loc->children.size(), 2u);
                     EXPECT_EQ(d[loc->children[1]].text, "-544");
                     const PetalField e = d.Field(Root(d), "value");
                     ASSERT_EQ(e->children.size(), 2u);
                     EXPECT_EQ(d[e->children[0]].kind, PetalKind::String);
                     EXPECT_EQ(d[e->children[1]].kind, PetalKind::Number);
                     EXPECT_EQ(d.Field(Root(d), "f")->text, "0.250000");
                 }},
        TreeCase{"lists with and without a type",
                 "(object X a (list unit_reference_list) b (list (object A) (object B \"n\")) c (list RoleViews @3))",
                 [](const PetalDocument& d) {
                     const PetalField a = d.Field(Root(d), "a");
                     EXPECT_EQ(a->kind, PetalKind::List);
                     EXPECT_EQ(a->text, "unit_reference_list");
                     EXPECT_TRUE(a->children.empty());
                     const PetalField b = d.Field(Root(d), "b");
                     EXPECT_EQ(b->text, "");
                     ASSERT_EQ(b->children.size(), 2u);
                     EXPECT_EQ(d[b->children[1]].text, "B");
                     const PetalField c = d.Field(Root(d), "c");
                     ASSERT_EQ(c->children.size(), 1u);
                     EXPECT_EQ(d[c->children[0]].kind, PetalKind::Reference);
                     EXPECT_EQ(d[c->children[0]].text, "3");
                 }},
        TreeCase{"repeated keys keep their order",
                 "(object Class \"C\" module \"m (spec)\" quidu \"1\" module \"m (body)\" quidu \"2\" flag TRUE)",
                 [](const PetalDocument& d) {
                     const PetalNode& c = Root(d);
                     ASSERT_EQ(c.keys, (std::vector<std::string>{"module", "quidu", "module", "quidu", "flag"}));
                     EXPECT_EQ(d[c.children[3]].text, "2");
                     EXPECT_EQ(d[c.children[4]].kind, PetalKind::Identifier);
                     EXPECT_EQ(d.Field(c, "quidu")->text, "1");
                 }},
        TreeCase{"several top-level objects and trailing padding", "(object A)\n(object B)\n\x1A",
                 [](const PetalDocument& d) {
                     ASSERT_EQ(d.roots.size(), 2u);
                     EXPECT_EQ(Root(d, 1).text, "B");
                     EXPECT_EQ(Root(d, 1).line, 2u);
                 }}),
    [](const ::testing::TestParamInfo<TreeCase>& i) {
        std::string n = i.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

struct ErrorCase {
    const char* name;
    std::string text;
    unsigned line;
    unsigned column;
    const char* message; // part of the message
};

class PetalErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(PetalErrors, NamesFileLineAndColumn)
{
    const ErrorCase& c = GetParam();
    try {
        Parse(c.text);
        FAIL() << "no error for " << c.name;
    } catch (const RoseLoadError& e) {
        EXPECT_EQ(e.File(), L"t.mdl");
        EXPECT_EQ(e.Line(), c.line);
        EXPECT_EQ(e.Column(), c.column);
        const std::string what = e.what();
        const std::string where = "t.mdl:" + std::to_string(c.line) + ":" + std::to_string(c.column) + ": ";
        EXPECT_EQ(what.compare(0, where.size(), where), 0) << what;
        EXPECT_NE(what.find(c.message), std::string::npos) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, PetalErrors,
    ::testing::Values(
        ErrorCase{"unclosed_object", "(object X\n  a 1", 2, 6, "line 1, column 1 is not closed"},
        ErrorCase{"unclosed_inner_list", "(object X\n  a (list L\n    (object Y b 2)", 3, 19, "line 2, column 5 is not closed"},
        ErrorCase{"unterminated_string_at_eof", "(object X name \"abc", 1, 16, "unterminated string"},
        ErrorCase{"string_missing_its_quote", "(object X name \"ab\n  quid \"cd\")", 1, 16, "unterminated string"},
        ErrorCase{"string_at_end_of_last_line", "(object X name \"ab\n", 1, 16, "unterminated string"},
        ErrorCase{"field_without_value", "(object X a)", 1, 12, "the field 'a' has no value"},
        ErrorCase{"extra_closing_paren", "(object X a 1))", 1, 15, "expected '('"},
        ErrorCase{"object_without_type", "(object \"x\")", 1, 9, "expected a type name"},
        ErrorCase{"value_without_type", "(object X v (value))", 1, 19, "expected a type name"},
        ErrorCase{"stray_character", "(object X a # 1)", 1, 13, "unexpected '#'"},
        ErrorCase{"bar_inside_a_line", "(object X\n  a |b)", 2, 5, "unexpected '|'"},
        ErrorCase{"number_as_field_name", "(object X 12 a)", 1, 11, "expected a field name"},
        ErrorCase{"reference_without_number", "(object X c @)", 1, 13, "'@' without a number"},
        ErrorCase{"top_level_scalar", "version 42", 1, 1, "expected '('"},
        ErrorCase{"control_byte", "(object X a \x01)", 1, 13, "byte 0x01"},
        ErrorCase{"deep_nesting", std::string(1001, '(') + std::string(1001, ')'), 1, 1001, "nesting deeper than 1000"}),
    [](const ::testing::TestParamInfo<ErrorCase>& i) { return std::string(i.param.name); });

TEST(PetalParser, NestingUpToTheLimitIsAccepted)
{
    const std::string text = std::string(1000, '(') + std::string(1000, ')');
    const PetalDocument d = Parse(text);
    EXPECT_EQ(d.roots.size(), 1u);
}

TEST(PetalParser, EveryPrefixOfAValidTextParsesOrFailsCleanly)
{
    const std::string text =
        "(object Petal version 42)\n(object Design \"Logical View\"\n  quid \"Q\" doc \n|a\n|b\n  loc (1, 2)\n"
        "  l (list L (object C \"c\" @1 v (value cardinality \"0..n\") e (\"S\" 1))))\n";
    size_t failures = 0;
    for (size_t n = 0; n <= text.size(); ++n) {
        try {
            Parse(text.substr(0, n));
        } catch (const RoseLoadError& e) {
            ++failures;
            EXPECT_GE(e.Line(), 1u);
            EXPECT_GE(e.Column(), 1u);
        }
    }
    EXPECT_NO_THROW(Parse(text));
    EXPECT_GT(failures, text.size() / 2);
}

TEST(PetalParser, DoubleByteTrailBytesAreNotEscapes)
{
    // In code page 936 the pair 0x95 0x5C is one character; its trail byte must not
    // escape the closing quote.
    const std::string text = "(object X n \"\x95\\\" m \"z\")";
    const PetalDocument d = ParsePetal(text, L"t.mdl", PetalParseOptions{1000, 936, {}});
    EXPECT_EQ(d.Field(Root(d), "n")->text, "\x95\\");
    EXPECT_EQ(d.Field(Root(d), "m")->text, "z");
}

// Strings are scanned several bytes at a time: a stop byte (quote, escape, line break,
// lead byte) at any place of that step, after any prefix, ends the plain part exactly there.
TEST(PetalParser, StringsReadAlikeWhereverTheirSpecialByteFalls)
{
    struct Special {
        const char* spelled; // as written between the quotes
        const char* read;
        unsigned codePage;
    };
    const Special specials[] = {
        {"\\", "\\", 0}, {"\\\"", "\"", 0}, {"\x95\\", "\x95\\", 936}, {"\xE9", "\xE9", 0},
        {"\r\nrun on", "\r\nrun on", 0},
    };
    for (const Special& special : specials)
        for (size_t before = 0; before < 17; ++before) {
            const std::string prefix(before, 'a');
            const std::string text = "(object X s \"" + prefix + special.spelled + "b\" t \"c\")";
            const PetalDocument d = ParsePetal(text, L"t.mdl", PetalParseOptions{1000, special.codePage, {}});
            EXPECT_EQ(d.Field(Root(d), "s")->text, prefix + special.read + "b") << special.spelled << " after " << before;
            EXPECT_EQ(d.Field(Root(d), "t")->text, "c");
        }
}

TEST(PetalParser, KnownNamesAreFoundByTheirNumber)
{
    const std::string_view known[] = {"quid", "type", "absent"};
    PetalParseOptions options;
    options.knownNames = known;
    const PetalDocument d = ParsePetal("(object X type \"T\" other 1 quid \"Q\")", L"t.mdl", options);
    const PetalNode x = Root(d);
    EXPECT_EQ(d.Field(x, uint32_t(1))->text, "Q");
    EXPECT_EQ(d.Field(x, uint32_t(2))->text, "T");
    EXPECT_EQ(d.Field(x, uint32_t(3)), nullptr);
    EXPECT_EQ(d.Field(x, "other")->text, "1");
}

// The tree does not depend on the text it was read from.
TEST(PetalParser, TheTreeOutlivesTheText)
{
    PetalDocument d;
    {
        std::string text = "(object Petal version 42)\n(object Design \"Logical View\" quid \"Q0\"\n"
                           "  root (object Class \"T2\" documentation\n|Class 2\n|second line\n"
                           "    abstract TRUE ops (list Operations (object Operation \"Op\" quid \"O2\"\n"
                           "      parameters (list Parameters (object Parameter \"A\\\"Text\\\"\" type \"string\"))))))\n";
        d = Parse(text);
        text.assign(text.size(), 'x');
    }
    const PetalNode design = Root(d, 1);
    EXPECT_EQ(design.text, "Design");
    EXPECT_EQ(design.names, (std::vector<std::string>{"Logical View"}));
    const PetalNode cls = *d.Field(design, "root");
    EXPECT_EQ(cls.names.at(0), "T2");
    EXPECT_EQ(d.Field(cls, "documentation")->text, "Class 2\r\nsecond line");
    EXPECT_EQ(d.Field(cls, "abstract")->text, "TRUE");
    const PetalNode op = d[d.Field(cls, "ops")->children.at(0)];
    EXPECT_EQ(d.Field(op, "quid")->text, "O2");
    const PetalNode param = d[d.Field(op, "parameters")->children.at(0)];
    EXPECT_EQ(param.names.at(0), "A\"Text\"");
    EXPECT_EQ(param.keys, (std::vector<std::string>{"type"}));
}

TEST(RoseLoadErrorTest, WhatIsUtf8WithThePlace)
{
    const RoseLoadError e(L"mod\u00e8le.mdl", 12, 7, L"bad \u4e2d");
    EXPECT_STREQ(e.what(), "mod\xc3\xa8le.mdl:12:7: bad \xe4\xb8\xad");
    EXPECT_EQ(e.WideWhat(), L"mod\u00e8le.mdl:12:7: bad \u4e2d");
    EXPECT_EQ(e.Message(), L"bad \u4e2d");
}

} // namespace
