// Reading the preserved zones of an old file: the marker grammar, line ends, and
// files whose markers cannot be read.
#include <gtest/gtest.h>

#include <vector>

#include <vxplat/CodePage.h>

#include "LmException.h"
#include "ZoneTestSupport.h"

using LmLib::CLmPtr;
using LmLib::Errors::Exception::CLmException;
using LmLib::Values::CLmBSTR;
using ZoneTest::Wide;
using ZoneTest::ZonesOf;

namespace
{
    struct ExpectedZone
    {
        std::string Id;
        std::string Tag;
        std::string Text;
        bool Preserved;
    };

    struct ScanCase
    {
        const char* Name;
        std::string File;
        std::vector<ExpectedZone> Zones;
    };

    const std::string kBody = "  x := 1;\r\n  y := 2;\r\n  ";

    std::vector<ScanCase> ScanCases()
    {
        return {
            {"NoZones", "unit A;\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\nend.", {}},
            {"EmptyFile", "", {}},
            {"MethodScope",
             "begin\r\n  //## begin TShape::GetWidth%3A1B2C.getbody preserve=yes\r\n" + kBody +
                 "//## end TShape::GetWidth%3A1B2C.getbody\r\nend;",
             {{"3A1B2C", "getbody", kBody, true}}},
            {"ModuleScopeAtLineStart",
             "interface\r\n//## begin Unit1%ID7.suses preserve=yes\r\nuses Foo;\r\n//## end "
             "Unit1%ID7.suses\r\ntype\r\n",
             {{"ID7", "suses", "uses Foo;\r\n", true}}},
            {"TagWithDots",
             "//## begin S%ID.a.b.c preserve=yes\r\nq\r\n//## end S%ID.a.b.c\r\n",
             {{"ID", "a.b.c", "q\r\n", true}}},
            {"EmptyScope",
             "//## begin %ID.tag preserve=yes\r\nq\r\n//## end %ID.tag\r\n",
             {{"ID", "tag", "q\r\n", true}}},
            {"PreserveNo",
             "//## begin S%ID.body preserve=no\r\nkeep me\r\n//## end S%ID.body\r\n",
             {{"ID", "body", "keep me\r\n", false}}},
            {"PreserveMixedCase",
             "//## begin S%ID.body preserve=Yes\r\nq\r\n//## end S%ID.body\r\n",
             {{"ID", "body", "q\r\n", true}}},
            {"PreserveUpperCase",
             "//## begin S%ID.body preserve=YES\r\nq\r\n//## end S%ID.body\r\n",
             {{"ID", "body", "q\r\n", true}}},
            {"PreserveEmpty",
             "//## begin S%ID.body preserve=\r\nq\r\n//## end S%ID.body\r\n",
             {{"ID", "body", "q\r\n", false}}},
            {"PreserveWithTrailingBlank",
             "//## begin S%ID.body preserve=yes \r\nq\r\n//## end S%ID.body\r\n",
             {{"ID", "body", "q\r\n", false}}},
            {"EmptyZone",
             "//## begin S%ID.var preserve=yes\r\n//## end S%ID.var\r\nbegin\r\n",
             {{"ID", "var", "", true}}},
            {"EmptyZoneIndented",
             "  //## begin S%ID.body preserve=yes\r\n  //## end S%ID.body\r\n",
             {{"ID", "body", "  ", true}}},
            {"TwoZonesInOrder",
             "//## begin A%1.var preserve=yes\r\nv\r\n//## end A%1.var\r\nbegin\r\n  //## begin A%1.body "
             "preserve=yes\r\n"
             "  b\r\n  //## end A%1.body\r\nend;",
             {{"1", "var", "v\r\n", true}, {"1", "body", "  b\r\n  ", true}}},
            {"BeginInsideZoneIsText",
             "//## begin O%1.body preserve=yes\r\n//## begin I%2.body preserve=yes\r\ninner\r\n//## end I%2.body\r\n"
             "//## end O%1.body\r\n//## begin N%3.body preserve=yes\r\nnext\r\n//## end N%3.body\r\n",
             {{"1", "body", "//## begin I%2.body preserve=yes\r\ninner\r\n", true}, {"3", "body", "next\r\n", true}}},
            {"MismatchingEndMarker",
             "//## begin S%ID.body preserve=yes\r\nq\r\n//## end Other%X.other\r\n",
             {{"ID", "body", "q\r\n", true}}},
            {"EndMarkerWithoutScope",
             "//## begin S%ID.body preserve=yes\r\nq\r\n//## end\r\n",
             {{"ID", "body", "q\r\n", true}}},
            {"BeginWithoutBlankIsNoMarker", "//## beginS%ID.body preserve=yes\r\nq\r\n//## end S%ID.body\r\n", {}},
            {"BareLineFeeds",
             "unit A;\n  //## begin S%ID.body preserve=yes\n  a\n  b\n  //## end S%ID.body\nend.\n",
             {{"ID", "body", "  a\n  b\n  ", true}}},
            {"MixedLineEnds",
             "//## begin S%ID.body preserve=yes\r\na\nb\r\n//## end S%ID.body\n//## begin S%ID.var "
             "preserve=no\nc\n//## end S%ID.var\r\n",
             // A CR LF file: the first end line runs to the next CR LF, over the LF zone.
             {{"ID", "body", "a\nb\r\n", true}}},
            {"StrayBeginPairsWithTheNextZone",
             "{ see //## begin }\r\n//## begin S%ID.body preserve=yes\r\nq\r\n//## end S%ID.body\r\n"
             "//## begin S%2.var preserve=yes\r\nv\r\n//## end S%2.var\r\n",
             {{"ID", "body", "q\r\n", true}, {"2", "var", "v\r\n", true}}},
            {"PiecesOfABeginMarkerOnLaterLines",
             "//## begin S.body preserve=yes\r\nq\r\n//## end S.body\r\n//## begin T%ID.x preserve=yes\r\nr\r\n//## "
             "end T%ID.x\r\n",
             {{"ID", "x", "r\r\n", true}}},
            {"PreserveOnTheNextLine", "//## begin S%ID.body\r\nq preserve=yes\r\n//## end S%ID.body\r\n",
             {{"ID", "body\r\nq", "", true}}},
            {"LastEndMarkerAtEndOfText",
             "//## begin S%ID.body preserve=yes\r\nq\r\n//## end S%ID.body",
             {{"ID", "body", "q\r\n", true}}},
            {"PercentAndDotInScopeAndText",
             "//## begin A::B%ID.body preserve=yes\r\n  s := '50%.';\r\n  //## end A::B%ID.body\r\n",
             {{"ID", "body", "  s := '50%.';\r\n  ", true}}},
            {"EndMarkerInsideCodeLineEndsText",
             "//## begin S%ID.body preserve=yes\r\n  x; //## end of loop\r\n//## end S%ID.body\r\n",
             {{"ID", "body", "  x; ", true}}},
            {"ZeroBytesAreText",
             "//## begin S%1.body preserve=yes\r\na" + std::string(1, '\0') + "b\r\n//## end S%1.body\r\n" +
                 std::string(2, '\0') + "//## begin S%2.body preserve=yes\r\nc\r\n//## end S%2.body\r\n",
             {{"1", "body", std::string("a\0b\r\n", 5), true}, {"2", "body", "c\r\n", true}}},
        };
    }

    void PrintTo(const ScanCase& c, std::ostream* os)
    {
        *os << c.Name;
    }

    class ScanTest : public testing::TestWithParam<ScanCase>
    {
    protected:
        void SetUp() override { VxpSetAnsiCodePage(1252); }
    };

    TEST_P(ScanTest, FindsEveryZoneInFileOrder)
    {
        const ScanCase& c = GetParam();
        CLmPtr<CVXPreservedZones> zones = ZonesOf(c.File);
        ASSERT_EQ(zones->GetCount(), static_cast<int>(c.Zones.size()));
        for (size_t i = 0; i < c.Zones.size(); ++i)
        {
            SCOPED_TRACE(i);
            CLmPtr<CVXPreservedZone> zone = zones->GetZone(static_cast<int>(i));
            ASSERT_FALSE(zone.IsNull());
            EXPECT_EQ(Wide(zone->GetUniqueId()), Wide(c.Zones[i].Id));
            EXPECT_EQ(Wide(zone->GetTag()), Wide(c.Zones[i].Tag));
            EXPECT_EQ(Wide(zone->GetText()), Wide(c.Zones[i].Text));
            EXPECT_EQ(zone->IsPreserved(), c.Zones[i].Preserved);
            // The zone runs from its begin marker to past its end-marker line.
            EXPECT_EQ(c.File.compare(zone->GetZoneStart(), 11, "//## begin "), 0);
            EXPECT_EQ(c.File.compare(zone->GetTextEnd(), 8, "//## end"), 0);
            EXPECT_LE(zone->GetZoneEnd(), c.File.size());
            EXPECT_TRUE(zone->GetZoneEnd() == c.File.size() || c.File[zone->GetZoneEnd() - 1] == '\n');
        }
    }

    INSTANTIATE_TEST_SUITE_P(Grammar, ScanTest, testing::ValuesIn(ScanCases()),
                             [](const testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.Name); });

    TEST(ScanSpans, PositionsOfTheSixParts)
    {
        //                 0         1         2         3         4
        //                 0123456789012345678901234567890123456789012345
        std::string file = "  //## begin C::M%U1.t.x preserve=yes\r\n  a\r\n  //## end C::M%U1.t.x\r\nrest";
        CLmPtr<CVXPreservedZones> zones = ZonesOf(file);
        ASSERT_EQ(zones->GetCount(), 1);
        CLmPtr<CVXPreservedZone> zone = zones->GetZone(0);
        EXPECT_EQ(zone->GetZoneStart(), 2u);
        EXPECT_EQ(zone->GetScopeStart(), 13u);
        EXPECT_EQ(zone->GetScopeEnd(), 16u); // the character before "%"
        EXPECT_EQ(zone->GetUniqueIdStart(), 18u);
        EXPECT_EQ(zone->GetUniqueIdEnd(), 20u);
        EXPECT_EQ(zone->GetTagStart(), 21u);
        EXPECT_EQ(zone->GetTagEnd(), 24u);
        EXPECT_EQ(zone->GetPreserveStart(), 34u);
        EXPECT_EQ(zone->GetPreserveEnd(), 37u);
        EXPECT_EQ(zone->GetTextStart(), 39u);
        EXPECT_EQ(zone->GetTextEnd(), 46u);
        EXPECT_EQ(zone->GetZoneEnd(), file.size() - 4);
    }

    TEST(ScanText, ConvertsWithTheAnsiCodePage)
    {
        VxpSetAnsiCodePage(1252);
        CLmPtr<CVXPreservedZones> zones =
            ZonesOf("//## begin S%ID.body preserve=yes\r\n  s := 'caf\xE9 \x80';\r\n//## end S%ID.body\r\n");
        ASSERT_EQ(zones->GetCount(), 1);
        EXPECT_EQ(Wide(zones->GetZone(0)->GetText()), L"  s := 'caf\u00E9 \u20AC';\r\n");
    }

    // Markers that cannot be read refuse the whole file, naming it and the marker's line.
    struct BrokenCase
    {
        const char* Name;
        std::string File;
        int Line;
        const wchar_t* Problem;
    };

    std::vector<BrokenCase> BrokenCases()
    {
        const wchar_t* incomplete = L"is incomplete";
        const wchar_t* noEnd = L"has no end marker";
        return {
            {"TruncatedAfterBeginLine", "unit A;\r\n//## begin S%ID.body preserve=yes\r\n  user code\r\n", 2, noEnd},
            {"TruncatedInsideText", "a\r\nb\r\n  //## begin S%ID.body preserve=yes\r\n  user co", 3, noEnd},
            {"TruncatedAfterPreserveValue", "//## begin S%ID.body preserve=yes", 1, noEnd},
            {"TruncatedInsideBeginMarker", "x\r\n//## begin S%ID.bo", 2, incomplete},
            {"TruncatedAfterBeginWord", "//## begin ", 1, incomplete},
            {"NoPercentBeforeTheEnd", "//## begin S.body preserve=yes\r\nq\r\n//## end S.body\r\n", 1, incomplete},
            {"NoDotAfterPercent", "//## begin S%ID preserve=yes\r\nq\r\n//## end S%ID\r\n", 1, incomplete},
            {"NoPreserveBeforeTheEnd", "//## begin S%ID.body\r\nq\r\n//## end S%ID.body\r\n", 1, incomplete},
            {"BrokenAfterGoodZones",
             "//## begin S%1.body preserve=yes\r\nq\r\n//## end S%1.body\r\n\r\n//## begin S%2.body "
             "preserve=yes\r\nlost\r\n",
             5, noEnd},
            {"OldMacLineEnds", "//## begin S%ID.body preserve=yes\rq\r//## end S%ID.body\r", 1, noEnd},
        };
    }

    void PrintTo(const BrokenCase& c, std::ostream* os)
    {
        *os << c.Name;
    }

    class BrokenScanTest : public testing::TestWithParam<BrokenCase>
    {
    };

    TEST_P(BrokenScanTest, RefusesTheFileAndSaysWhere)
    {
        const BrokenCase& c = GetParam();
        CLmPtr<CVXPreservedZones> zones = CVXPreservedZones::Create(nullptr);
        std::shared_ptr<char[]> buffer(new char[c.File.size()]);
        std::memcpy(buffer.get(), c.File.data(), c.File.size());
        try
        {
            zones->LoadText(buffer, c.File.size(), L"C:\\Src\\Old.pas");
            FAIL() << "no error raised";
        }
        catch (const CLmException& error)
        {
            std::wstring message = Wide(error.GetMessage());
            EXPECT_NE(message.find(L"C:\\Src\\Old.pas"), std::wstring::npos) << message;
            EXPECT_NE(message.find(L"on line " + std::to_wstring(c.Line) + L" "), std::wstring::npos) << message;
            EXPECT_NE(message.find(c.Problem), std::wstring::npos) << message;
            EXPECT_NE(message.find(L". Error - [FFFFFF9C]"), std::wstring::npos) << message;
            EXPECT_EQ(error.m_Code, -100);
        }
        // Nothing of a refused file is kept.
        EXPECT_EQ(zones->GetCount(), 0);
    }

    INSTANTIATE_TEST_SUITE_P(Markers, BrokenScanTest, testing::ValuesIn(BrokenCases()),
                             [](const testing::TestParamInfo<BrokenCase>& info) {
                                 return std::string(info.param.Name);
                             });
} // namespace
