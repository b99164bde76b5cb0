// The owned automation string.
#include "LmTestSupport.h"

#include <vxplat/CodePage.h>

#include <vector>

using namespace LmTest;

namespace
{
    std::vector<std::wstring> Pieces(const CLmBSTR& text, const wchar_t* separator)
    {
        std::vector<std::wstring> pieces;
        for (const CLmBSTR& piece : text.Split(separator))
            pieces.push_back(Text(piece));
        return pieces;
    }
}

TEST(BSTRTest, SplitDropsEmptyPieces)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* separator;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {L";alpha;;beta;", L";", {L"alpha", L"beta"}},
        {L"alpha", L";", {L"alpha"}},
        {nullptr, L";", {}},
        {L"a::b::c", L"::", {L"a", L"b", L"c"}},
        {L"abc", L"", {}},
        {L";;", L";", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Pieces(CLmBSTR(c.text), c.separator), c.expected) << (c.text ? c.text : L"(null)");
}

TEST(BSTRTest, SubstringsFollowTheirRanges)
{
    CLmBSTR text(L"abcdef");
    EXPECT_EQ(Text(text.Mid(2)), L"cdef");
    EXPECT_TRUE(text.Mid(4, 5).IsEmpty());
    EXPECT_EQ(Text(text.Mid(1, 3)), L"bcd");
    EXPECT_EQ(Text(text.Mid(0)), L"abcdef");
    EXPECT_EQ(Text(text.Mid(0, 6)), L"abcdef");
    EXPECT_TRUE(text.Mid(7).IsEmpty());
    EXPECT_EQ(Text(text.Right(10)), L"abcdef");
    EXPECT_EQ(Text(text.Right(2)), L"ef");
    EXPECT_EQ(Text(text.Left(3)), L"abc");
    EXPECT_EQ(Text(text.Left(10)), L"abcdef");
    EXPECT_TRUE(text.Left(0).IsEmpty());
}

TEST(BSTRTest, SearchingAndCounting)
{
    CLmBSTR text(L"xxababab-ab");
    EXPECT_EQ(text.Find(L"zz"), -1);
    EXPECT_EQ(text.Find(L"ab"), 2);
    EXPECT_EQ(CLmBSTR(L"ababab").ReverseFind(L"ab"), 4);
    EXPECT_EQ(CLmBSTR(L"aaaa").ReverseFind(L"aa"), 2) << "matches do not overlap";
    EXPECT_EQ(text.ReverseFind(L"zz"), -1);
    EXPECT_EQ(CLmBSTR().Find(L"a"), -1);
    EXPECT_EQ(text.Find(nullptr), -1);
    EXPECT_EQ(CLmBSTR().ReverseFind(L"a"), -1);
    EXPECT_EQ(text.Count(L"ab"), 4);
    EXPECT_EQ(text.Count(5, L"ab"), 2);
    EXPECT_EQ(text.Count(L""), 0);
    EXPECT_EQ(CLmBSTR(L"aaaa").Count(L"aa"), 2);
}

TEST(BSTRTest, EqualityTellsNullFromEmpty)
{
    CLmBSTR null;
    CLmBSTR empty(L"");
    EXPECT_TRUE(null == nullptr);
    EXPECT_FALSE(null == L"");
    EXPECT_TRUE(empty == L"");
    EXPECT_FALSE(empty == nullptr);
    EXPECT_TRUE(CLmBSTR(L"Delphi") == L"Delphi");
    EXPECT_FALSE(CLmBSTR(L"Delphi") == L"delphi");
    EXPECT_TRUE(L"C#" == CLmBSTR(L"C#"));
    EXPECT_TRUE(null.IsEmpty());
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(BSTRTest, ConcatenationAndCopies)
{
    CLmBSTR a(L"Hello");
    CLmBSTR b = a;
    EXPECT_NE(a.GetBSTR(), b.GetBSTR()) << "every copy owns its allocation";
    b += L", world";
    EXPECT_EQ(Text(a), L"Hello");
    EXPECT_EQ(Text(b), L"Hello, world");
    EXPECT_EQ(Text(L"<" + a + L">"), L"<Hello>");
    EXPECT_EQ((CLmBSTR() + CLmBSTR(L"")).GetBSTR(), nullptr) << "an empty sum is null";
    b = b;
    EXPECT_EQ(Text(b), L"Hello, world");
    BSTR copy = a.Copy();
    EXPECT_EQ(SysStringLen(copy), 5u);
    SysFreeString(copy);
    EXPECT_EQ(CLmBSTR().Copy(), nullptr);
    a.Clear();
    EXPECT_EQ(a.GetBSTR(), nullptr);
}

TEST(BSTRTest, FormatFollowsWindowsWidePrintf)
{
    CLmBSTR value;
    EXPECT_EQ(Text(value.Format(L"%s=%d [%X] [%x]", L"Count", -3, 255u, 255u)), L"Count=-3 [FF] [ff]");
    EXPECT_EQ(Text(value), L"Count=-3 [FF] [ff]");
    EXPECT_EQ(Text(CLmBSTR::FormatString(L"%d%%", 50)), L"50%");

    std::wstring longText(5000, L'x');
    CLmBSTR formatted = CLmBSTR::FormatString(L"[%s]", longText.c_str());
    EXPECT_EQ(formatted.Length(), 5002);
    EXPECT_EQ(Text(formatted), L"[" + longText + L"]");
}

TEST(BSTRTest, TrimReplaceAndInPlaceEdits)
{
    CLmBSTR blank(L" \t\r\n ");
    blank.Trim();
    EXPECT_EQ(blank.Length(), 0);
    CLmBSTR padded(L"\t\n a b \t");
    padded.Trim();
    EXPECT_EQ(Text(padded), L"a b");

    CLmBSTR text(L"a.b.c");
    text.Replace(L".", L"::");
    EXPECT_EQ(Text(text), L"a::b::c");
    text.Replace(L"::", L"");
    EXPECT_EQ(Text(text), L"abc");
    text.Replace(L"zz", L"y");
    EXPECT_EQ(Text(text), L"abc");
    CLmBSTR repeated(L"aaa");
    repeated.Replace(L"aa", L"b");
    EXPECT_EQ(Text(repeated), L"ba");
    CLmBSTR null;
    null.Replace(L"a", L"b");
    EXPECT_EQ(null.GetBSTR(), nullptr);

    CLmBSTR reverse(L"abc");
    reverse.MakeReverse();
    EXPECT_EQ(Text(reverse), L"cba");
    reverse.Fill(L'-');
    EXPECT_EQ(Text(reverse), L"---");
}

TEST(BSTRTest, CaseMappingGoesThroughTheAnsiCodePage)
{
    ASSERT_TRUE(VxpSetAnsiCodePage(1252) || GetACP() == 1252);
    CLmBSTR word(L"caf\u00e9 \u00f1and\u00fa");
    word.MakeUpper();
    EXPECT_EQ(Text(word), L"CAF\u00c9 \u00d1AND\u00da");
    word.MakeLower();
    EXPECT_EQ(Text(word), L"caf\u00e9 \u00f1and\u00fa");
    // Characters outside the code page do not survive the round trip.
    CLmBSTR greek(L"\u03b1b");
    greek.MakeUpper();
    EXPECT_EQ(greek.Length(), 2);
    EXPECT_EQ(greek.GetBSTR()[1], L'B');
    EXPECT_NE(greek.GetBSTR()[0], L'\u03b1');
    CLmBSTR empty;
    empty.MakeUpper();
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(BSTRTest, AnsiConversions)
{
    ASSERT_TRUE(VxpSetAnsiCodePage(1252) || GetACP() == 1252);
    EXPECT_EQ(Text(CLmBSTR::FromAnsi("caf\xe9")), L"caf\u00e9");
    EXPECT_EQ(Text(CLmBSTR::FromAnsi("abcdef", 3)), L"abc");
    EXPECT_TRUE(CLmBSTR::FromAnsi("").IsEmpty());
    EXPECT_EQ(CLmBSTR(L"\u00e9t\u00e9").ToAnsi(), std::string("\xe9t\xe9"));
}
