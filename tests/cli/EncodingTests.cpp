// Encodings as the checkout has them: a unit saved as UTF-8 with its byte-order mark
// (what Delphi saves for non-ASCII text) keeps the mark and every character of its zones
// and of the model's names and documentation, where the ANSI code page would lose them,
// and a C# file saved as UTF-8 without the mark stays so; a new C# file is UTF-8 when its
// text is not ASCII; --encoding overrides. The files are
// compiled by fpc -Mdelphi and mcs.
#include "CliTestSupport.h"

#include <regex>

using namespace CliTest;

namespace {

// Code page 1252 text: a Delphi unit and a C# file whose class is named "Größe".
const char* const kModel = "(object Petal\n    version 47\n    charSet 0)\n\n"
                           "(object Design \"Logical View\"\n    quid \"M0\"\n"
                           "    root_category (object Class_Category \"Logical View\"\n        quid \"L0\"\n"
                           "        logical_models (list unit_reference_list\n"
                           "            (object Class \"TPreis\" quid \"C1\"\n"
                           "                documentation \"Gr\xF6\xDF" "e und Preis \x96 in \x80\"\n"
                           "                operations (list Operations (object Operation \"Show\" quid \"O1\"))\n"
                           "                module \"Component View::Preise\" quidu \"K1\")\n"
                           "            (object Class \"Gr\xF6\xDF" "e\" quid \"C2\"\n"
                           "                documentation \"Ma\xDF in Zoll \xAB" "Gr\xF6\xDF" "e\xBB\"\n"
                           "                operations (list Operations (object Operation \"Show\" quid \"O2\" result \"void\"))\n"
                           "                module \"Component View::Sizes\" quidu \"K2\")))\n"
                           "    root_subsystem (object SubSystem \"Component View\"\n        quid \"S0\"\n"
                           "        physical_models (list unit_reference_list\n"
                           "            (object module \"Preise\" \"NotAModuleType\" \"NotAModulePart\" quid \"K1\" language \"Delphi\")\n"
                           "            (object module \"Sizes\" \"NotAModuleType\" \"NotAModulePart\" quid \"K2\" language \"C#\"))))\n";

const std::string kMark = "\xEF\xBB\xBF";
const std::string kGroesse = "Gr\xC3\xB6\xC3\x9F" "e"; // UTF-8
const std::string kDelphiLine = "    WriteLn('\xE4\xBB\xB7\xE6\xA0\xBC \xE2\x80\x93 " + kGroesse + "');\r\n";
const std::string kCSharpLine = "        System.Console.WriteLine(\"\xE4\xBB\xB7\xE6\xA0\xBC \xE2\x80\x93 " + kGroesse + "\");\r\n";

bool Has(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// The user's line after the begin marker of the first "body" zone.
void FillBody(const fs::path& file, const std::string& line)
{
    std::string text = ReadFile(file);
    size_t marker = text.find(".body preserve=yes");
    ASSERT_NE(marker, std::string::npos) << text;
    text.insert(text.find('\n', marker) + 1, line);
    WriteFile(file, text);
}

class EncodingTest : public VexloRunTest {
protected:
    Result Generate(const std::vector<std::string>& more = {})
    {
        std::vector<std::string> args = {"generate", (m_dir / "sizes.mdl").string(), "--out", "out"};
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }
};

TEST_F(EncodingTest, Utf8FilesKeepTheirMarkAndEveryCharacter)
{
    WriteFile(m_dir / "sizes.mdl", kModel);
    fs::create_directories(m_dir / "out"); // an ASCII file says nothing of its encoding
    WriteFile(m_dir / "out" / "Sizes.cs", "// placeholder\r\n");
    Result first = Generate();
    ASSERT_EQ(first.code, 0) << first.err;
    const fs::path unit = m_dir / "out" / "Preise.pas", cs = m_dir / "out" / "Sizes.cs";
    // New files (and ASCII ones): the unit in the ANSI code page, the C# file (its text
    // not ASCII) in UTF-8.
    EXPECT_TRUE(Contains(ReadFile(unit), "Gr\xF6\xDF" "e und Preis \x96 in \x80")) << ReadFile(unit);
    EXPECT_EQ(ReadFile(cs).compare(0, 3, kMark), 0);
    EXPECT_TRUE(Contains(ReadFile(cs), "class " + kGroesse)) << ReadFile(cs);

    // The unit saved as UTF-8 by the IDE; text in both files that no ANSI code page holds.
    ASSERT_EQ(std::system(("cd " + Quote((m_dir / "out").string()) +
                           " && { printf '\\357\\273\\277'; iconv -f CP1252 -t UTF-8 Preise.pas; } > u && mv u Preise.pas")
                              .c_str()),
              0);
    FillBody(unit, kDelphiLine);
    FillBody(cs, kCSharpLine);
    WriteFile(cs, ReadFile(cs).substr(3)); // an editor that saves UTF-8 without the mark
    const std::string unitBefore = ReadFile(unit), csBefore = ReadFile(cs);

    struct Case {
        std::vector<std::string> flags;
        int differ;           // --check
        const char* warning;  // on standard error ("" none)
    } cases[] = {
        {{}, 0, ""},
        {{"--encoding", "utf-8"}, 1, ""}, // the mark added to Sizes.cs
        {{"--encoding", "ansi"}, 2, "Preise.pas:[0-9]+: 2 character\\(s\\) of this UTF-8 file have no byte in code page 1252"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> check = c.flags;
        check.push_back("--check");
        Result r = Generate(check);
        EXPECT_EQ(r.code, c.differ ? 1 : 0) << r.err;
        EXPECT_EQ(Contains(r.err, std::to_string(c.differ) + " of 2 file(s) differ"), c.differ > 0) << r.err;
        EXPECT_TRUE(*c.warning ? std::regex_search(r.err, std::regex(c.warning)) : !Contains(r.err, "warning")) << r.err;
    }
    Result again = Generate();
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_FALSE(Contains(again.err, "byte-order mark")) << again.err;
    EXPECT_EQ(ReadFile(unit), unitBefore);
    EXPECT_EQ(ReadFile(cs), csBefore);
    EXPECT_TRUE(Contains(ReadFile(unit), kGroesse + " und Preis \xE2\x80\x93 in \xE2\x82\xAC"));

    if (!Has("fpc") || !Has("mcs"))
        GTEST_SKIP() << "fpc or mcs is not installed: the files were not compiled";
    const std::string out = Quote((m_dir / "out").string());
    EXPECT_EQ(std::system(("cd " + out + " && fpc -Mdelphi Preise.pas >fpc.log 2>&1").c_str()), 0)
        << ReadFile(m_dir / "out" / "fpc.log");
    EXPECT_EQ(std::system(("cd " + out + " && mcs -target:library -out:Sizes.dll Sizes.cs >mcs.log 2>&1").c_str()), 0)
        << ReadFile(m_dir / "out" / "mcs.log");
}

} // namespace
