// Writing zones into a new text: markers, found text copied as it was, default
// bodies with their indentation, and the round trip through an old file.
#include <gtest/gtest.h>

#include <vector>

#include "VXZoneWriter.h"
#include "ZoneTestSupport.h"

using LmLib::CLmPtr;
using LmLib::Values::CLmBSTR;
using ZoneTest::Wide;
using ZoneTest::ZonesOf;

namespace
{
    const std::string kOldFile = "  //## begin TShape::Draw%OP1.body preserve=yes\r\n"
                                 "    Canvas.Draw;\r\n"
                                 "      Deeper;\r\n"
                                 "  //## end TShape::Draw%OP1.body\r\n"
                                 "//## begin TShape::Draw%OP1.var preserve=yes\r\n"
                                 "//## end TShape::Draw%OP1.var\r\n"
                                 "    //## begin TShape%CL1.public preserve=no\r\n"
                                 "    F: Integer;\r\n"
                                 "    //## end TShape%CL1.public\r\n"
                                 "  //## begin TShape::Load%OP2.body preserve=yes\r\n"
                                 "    Read;\n"
                                 "  //## end TShape::Load%OP2.body\r\n";

    struct WriteCase
    {
        const char* Name;
        const wchar_t* Scope;
        const wchar_t* Id;
        const wchar_t* Tag;
        const wchar_t* Indentation;
        const wchar_t* DefaultBody;
        const wchar_t* Expected;
    };

    const WriteCase kWrites[] = {
        // Found: the old text as it was, the end marker right after it.
        {"FoundTextUnchanged", L"TShape::Draw", L"OP1", L"body", L"  ", L"    Default;\r\n",
         L"  //## begin TShape::Draw%OP1.body preserve=yes\r\n    Canvas.Draw;\r\n      Deeper;\r\n"
         L"  //## end TShape::Draw%OP1.body\r\n"},
        {"FoundEmptyGetsNoIndentation", L"TShape::Draw", L"OP1", L"var", L"  ", L"",
         L"  //## begin TShape::Draw%OP1.var preserve=yes\r\n//## end TShape::Draw%OP1.var\r\n"},
        {"FoundWithPreserveNo", L"TShape", L"CL1", L"public", L"  ", L"",
         L"  //## begin TShape%CL1.public preserve=yes\r\n    F: Integer;\r\n    //## end TShape%CL1.public\r\n"},
        {"FoundUnderNewScope", L"TFigure::Draw", L"OP1", L"body", L"  ", L"",
         L"  //## begin TFigure::Draw%OP1.body preserve=yes\r\n    Canvas.Draw;\r\n      Deeper;\r\n"
         L"  //## end TFigure::Draw%OP1.body\r\n"},
        {"FoundBareLineFeedsAsFound", L"TShape::Load", L"OP2", L"body", L"  ", L"",
         L"  //## begin TShape::Load%OP2.body preserve=yes\r\n    Read;\n  //## end TShape::Load%OP2.body\r\n"},
        // Not found: the default body, then the indentation of the begin marker.
        {"DefaultBodyIndented", L"TShape::GetWidth", L"AT1", L"getbody", L"  ", L"    Result:=FWidth;\r\n",
         L"  //## begin TShape::GetWidth%AT1.getbody preserve=yes\r\n    Result:=FWidth;\r\n"
         L"  //## end TShape::GetWidth%AT1.getbody\r\n"},
        {"EmptyDefaultIndented", L"TShape", L"CL1", L"private", L"  ", L"",
         L"  //## begin TShape%CL1.private preserve=yes\r\n  //## end TShape%CL1.private\r\n"},
        {"DefaultAtLineStart", L"Project1", L"MO1", L"resources", L"", L"  {$R *.RES}\r\n",
         L"//## begin Project1%MO1.resources preserve=yes\r\n  {$R *.RES}\r\n//## end Project1%MO1.resources\r\n"},
        {"OtherTagOfAKnownId", L"TShape::Draw", L"OP1", L"Body", L"  ", L"",
         L"  //## begin TShape::Draw%OP1.Body preserve=yes\r\n  //## end TShape::Draw%OP1.Body\r\n"},
    };

    void PrintTo(const WriteCase& c, std::ostream* os)
    {
        *os << c.Name;
    }

    class WriteZoneTest : public testing::TestWithParam<WriteCase>
    {
    };

    TEST_P(WriteZoneTest, WritesMarkersAroundFoundOrDefaultText)
    {
        const WriteCase& c = GetParam();
        CLmPtr<CVXPreservedZones> zones = ZonesOf(kOldFile);
        EXPECT_EQ(Wide(CVXZoneWriter::Write(zones, c.Scope, c.Id, c.Tag, c.Indentation, c.DefaultBody)), c.Expected);
    }

    INSTANTIATE_TEST_SUITE_P(Zones, WriteZoneTest, testing::ValuesIn(kWrites),
                             [](const testing::TestParamInfo<WriteCase>& info) {
                                 return std::string(info.param.Name);
                             });

    TEST(WriteZone, FilterAdaptsOnlyFoundText)
    {
        CLmPtr<CVXPreservedZones> zones = ZonesOf(kOldFile);
        std::vector<std::wstring> seen;
        auto unindent = [&seen](const CLmBSTR& text) {
            seen.push_back(Wide(text));
            CLmBSTR result = text;
            result.Replace(L"\r\n  ", L"\r\n");
            return CLmBSTR(L"[") + result;
        };
        EXPECT_EQ(Wide(CVXZoneWriter::Write(zones, L"S", L"OP1", L"body", L"", L"", unindent)),
                  L"//## begin S%OP1.body preserve=yes\r\n[    Canvas.Draw;\r\n    Deeper;\r\n//## end S%OP1.body\r\n");
        EXPECT_EQ(Wide(CVXZoneWriter::Write(zones, L"S", L"NEW", L"body", L"  ", L"d\r\n", unindent)),
                  L"  //## begin S%NEW.body preserve=yes\r\nd\r\n  //## end S%NEW.body\r\n");
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0], L"    Canvas.Draw;\r\n      Deeper;\r\n  ");
    }

    // A generated method, edited by the user, read back and generated again, comes out
    // exactly as the user left it.
    std::wstring GenerateMethod(const CLmPtr<CVXPreservedZones>& zones, const wchar_t* className)
    {
        CLmBSTR scope = CLmBSTR(className) + L"::Run";
        CLmBSTR text = CLmBSTR(L"procedure ") + className + L".Run;\r\n";
        text += CVXZoneWriter::Write(zones, scope, L"OPR", L"var", L"", L"");
        text += L"begin\r\n";
        text += CVXZoneWriter::Write(zones, scope, L"OPR", L"body", L"  ", L"");
        text += L"end;";
        return Wide(text);
    }

    std::string Narrow(const std::wstring& text)
    {
        return std::string(text.begin(), text.end());
    }

    TEST(WriteZone, RegenerationKeepsUserText)
    {
        std::wstring first = GenerateMethod(nullptr, L"TA");
        EXPECT_EQ(
            first,
            L"procedure TA.Run;\r\n//## begin TA::Run%OPR.var preserve=yes\r\n//## end TA::Run%OPR.var\r\nbegin\r\n"
            L"  //## begin TA::Run%OPR.body preserve=yes\r\n  //## end TA::Run%OPR.body\r\nend;");

        std::wstring edited = first;
        edited.insert(edited.find(L"//## end TA::Run%OPR.var"), L"var\r\n  I: Integer;\r\n");
        edited.insert(edited.find(L"  //## end TA::Run%OPR.body"), L"  for I := 1 to 3 do\r\n    Step(I);\r\n");

        EXPECT_EQ(GenerateMethod(ZonesOf(Narrow(edited)), L"TA"), edited);
        // Renamed class: the same user text under the new scope.
        std::wstring renamed = edited;
        for (size_t at = renamed.find(L"TA"); at != std::wstring::npos; at = renamed.find(L"TA", at))
            renamed.replace(at, 2, L"TB");
        EXPECT_EQ(GenerateMethod(ZonesOf(Narrow(edited)), L"TB"), renamed);
    }
} // namespace
