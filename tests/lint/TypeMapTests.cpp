// Type maps as users write them: entries per language, blanks as compilers read them,
// package paths, "$T" for a name, cleared texts, and the lines that are no entry.
#include "TypeMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

namespace {

using VexloTypes::TypeMap;

struct MapCase {
    const char* name;
    const char* text;                // the map file
    const wchar_t* language;
    const wchar_t* modelType;
    const wchar_t* expected;         // the language type; nullptr: no entry
    const char* error = nullptr;     // the file is refused with this text
};

const MapCase kMaps[] = {
    {"PerLanguage", "[Delphi]\nint = Integer\n[C#]\nint = long\n", L"C#", L"int", L"long"},
    {"OtherLanguageNotMapped", "[Delphi]\nbool = Boolean\n", L"C#", L"bool", nullptr},
    {"BothLanguagesBeforeAGroup", "String = string\n[Delphi]\n", L"Delphi", L"String", L"string"},
    {"BlanksAsACompilerReadsThem", "[Delphi]\nconst char * = PAnsiChar\n", L"Delphi", L" const  char* ", L"PAnsiChar"},
    {"CommentsAndCSharpGroup", "# C++ types\n[C#]\n  # none yet\nunsigned long = uint\n", L"C#", L"unsigned long", L"uint"},
    {"RosePackagePath", "java.lang.String = string\n", L"C#", L"Logical View::java::lang::String", L"string"},
    {"ClearedText", "[Delphi]\nvoid =\n", L"Delphi", L"void", L""},
    {"NamePattern", "$T* = $T\n", L"Delphi", L"TBook*", L"TBook"},
    {"NamePatternMapsTheName", "const $T& = $T\nstd::string = string\n", L"C#", L"const std::string&", L"string"},
    {"ExactEntryBeforePattern", "$T* = $T\nchar* = PChar\n", L"Delphi", L"char*", L"PChar"},
    {"PatternNeedsOneName", "$T* = $T\n", L"Delphi", L"unsigned long*", nullptr},
    {"NoEquals", "[Delphi]\nint Integer\n", L"Delphi", L"int", nullptr, "map.txt:2: no \"=\""},
    {"UnknownLanguage", "[Java]\n", L"Delphi", L"int", nullptr, "map.txt:1: unknown language \"Java\""},
    {"NothingToMap", " = Integer\n", L"Delphi", L"int", nullptr, "map.txt:1: nothing in front"},
};

class TypeMapTest : public ::testing::TestWithParam<MapCase> {};

TEST_P(TypeMapTest, MapsAsWritten)
{
    const MapCase& c = GetParam();
    TypeMap map;
    std::wstring error;
    bool parsed = VexloTypes::ParseTypeMap(c.text, L"map.txt", map, error);
    if (c.error) {
        EXPECT_FALSE(parsed);
        EXPECT_NE(error.find(std::wstring(c.error, c.error + std::strlen(c.error))), std::wstring::npos);
        return;
    }
    ASSERT_TRUE(parsed) << std::string(error.begin(), error.end());
    std::wstring to;
    const VexloTypes::MapEntry* entry = map.Find(c.language, c.modelType, &to);
    if (!c.expected) {
        EXPECT_EQ(entry, nullptr) << std::string(to.begin(), to.end());
        return;
    }
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(to, c.expected);
    EXPECT_EQ(entry->source, L"map.txt");
}

INSTANTIATE_TEST_SUITE_P(Maps, TypeMapTest, ::testing::ValuesIn(kMaps),
                         [](const ::testing::TestParamInfo<MapCase>& info) { return std::string(info.param.name); });

// The built-in maps parse whole (a line they refuse would drop the entries after it)
// and map the types that models drawn for C++ and Java hold most.
TEST(BuiltinTypeMaps, MapTheCommonTypes)
{
    struct Entry {
        const wchar_t *map, *language, *from, *to;
    };
    const Entry entries[] = {
        {L"cpp", L"Delphi", L"int", L"Integer"},          {L"cpp", L"Delphi", L"unsigned long", L"LongWord"},
        {L"cpp", L"Delphi", L"char *", L"PAnsiChar"},     {L"cpp", L"Delphi", L"const CBook&", L"CBook"},
        {L"cpp", L"C#", L"std::string", L"string"},       {L"cpp", L"C#", L"const char*", L"string"},
        {L"cpp", L"C#", L"size_t", L"ulong"},             {L"cpp", L"Delphi", L"void", L""},
        {L"java", L"Delphi", L"String", L"string"},       {L"java", L"C#", L"java.util.Date", L"System.DateTime"},
        {L"java", L"C#", L"boolean", L"bool"},            {L"java", L"Delphi", L"Object", L"TObject"},
    };
    for (const Entry& e : entries) {
        std::wstring to;
        const TypeMap* map = VexloTypes::BuiltinTypeMap(e.map);
        ASSERT_NE(map, nullptr);
        EXPECT_NE(map->Find(e.language, e.from, &to), nullptr) << std::string(e.from, e.from + std::wcslen(e.from));
        EXPECT_EQ(to, e.to);
    }
    EXPECT_EQ(VexloTypes::BuiltinTypeMap(L"pascal"), nullptr);
}

} // namespace
