// The exception type, the standard translation and the COM boundary.
#include "LmTestSupport.h"
#include "LmTranslate.h"

#include <stdexcept>
#include <vector>

using namespace LmTest;

namespace
{
    const wchar_t* const ThisFile = L"tests/lmlib/ExceptionTests.cpp";

    std::wstring Location(int line)
    {
        return std::wstring(ThisFile) + L" - " + std::to_wstring(line);
    }

    std::vector<std::wstring> Lines(const CLmBSTR& text)
    {
        std::vector<std::wstring> lines;
        for (const CLmBSTR& line : text.Split(L"\r\n"))
            lines.push_back(Text(line));
        return lines;
    }

    // Each method is kept on one line so that its raise and handler share a line number.
    const int Level3Line = __LINE__; void Level3() { LM_TRY { LM_RAISE(-100, L"Deep failure %d in %s", 3, L"Level3"); } LM_END_TRY }
    const int Level2Line = __LINE__; void Level2() { LM_TRY { Level3(); } LM_END_TRY }
    const int Level1Line = __LINE__; void Level1() { LM_TRY { Level2(); } LM_END_TRY }
    const int BoundaryLine = __LINE__; HRESULT Boundary(void (*body)()) { LM_TRY { body(); } LM_END_TRY_REPORT }

    const int ForeignLine = __LINE__; void ThrowsForeign() { LM_TRY { throw std::runtime_error("boom"); } LM_END_TRY }
    const int OuterLine = __LINE__; void CallsForeign() { LM_TRY { ThrowsForeign(); } LM_END_TRY }

    IErrorInfo* MakeErrorInfo(const wchar_t* description, const wchar_t* source)
    {
        ICreateErrorInfo* create = nullptr;
        EXPECT_EQ(CreateErrorInfo(&create), S_OK);
        create->SetDescription(const_cast<LPOLESTR>(description));
        create->SetSource(const_cast<LPOLESTR>(source));
        IErrorInfo* info = nullptr;
        create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
        create->Release();
        return info;
    }
}

TEST(ExceptionTest, MessageSuffixShowsTheCodeInHexadecimal)
{
    struct Case
    {
        long code;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {-100, L"Failed . Error - [FFFFFF9C]"},
        {-201, L"Failed . Error - [FFFFFF37]"},
        {static_cast<long>(E_FAIL), L"Failed . Error - [80004005]"},
        {10, L"Failed . Error - [A]"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Text(CLmException::ComposeMessage(L"Failed", c.code)), c.expected);
        CLmException error = Catch([&] { LM_RAISE(c.code, L"Failed"); });
        EXPECT_EQ(Text(error.GetMessage()), c.expected);
        EXPECT_EQ(error.m_Code, static_cast<LONG>(c.code));
    }
}

TEST(ExceptionTest, ConstructorAppendsDetailAndStartsTheTrail)
{
    CLmException plain(CLmBSTR(L"Message"), CLmBSTR(), "LMLIB/Src/LmFile.cpp", 12, -100);
    EXPECT_EQ(Text(plain.GetMessage()), L"Message");
    EXPECT_EQ(Text(plain.GetLocation()), L"LMLIB/Src/LmFile.cpp - 12");

    CLmException detailed(CLmBSTR(L"Message"), CLmBSTR(L"more"), "a.cpp", 7, -100);
    EXPECT_EQ(Text(detailed.GetMessage()), L"Message more");
    detailed.AddTrace(CLmBSTR(L"while saving"), "b.cpp", 8);
    detailed.AddTrace(CLmBSTR(), "c.cpp", 9);
    EXPECT_EQ(Text(detailed.GetLocation()), L"a.cpp - 7\r\nwhile saving b.cpp - 8\r\nc.cpp - 9");

    CLmException copy(detailed);
    EXPECT_EQ(Text(copy.GetLocation()), Text(detailed.GetLocation()));
    EXPECT_EQ(copy.m_Code, -100);
}

TEST(ExceptionTest, TrailRecordsEveryMethodFromTheRaiseOutwards)
{
    CLmException error = Catch(Level1);
    EXPECT_EQ(Text(error.GetMessage()), L"Deep failure 3 in Level3 . Error - [FFFFFF9C]");
    std::vector<std::wstring> expected = {Location(Level3Line), Location(Level3Line), Location(Level2Line),
                                          Location(Level1Line)};
    EXPECT_EQ(Lines(error.GetLocation()), expected);
}

TEST(ExceptionTest, ComErrorCarriesDescriptionAndSource)
{
    IErrorInfo* info = MakeErrorInfo(L"Object not found", L"Rose.Application");
    ASSERT_NE(info, nullptr);
    _com_error comError(DISP_E_MEMBERNOTFOUND, info, true);
    info->Release();
    CLmException error = Catch([&] { LM_TRY { throw comError; } LM_END_TRY });
    EXPECT_EQ(Text(error.GetMessage()), L"Object not found [Rose.Application ]");
    EXPECT_EQ(error.m_Code, static_cast<LONG>(DISP_E_MEMBERNOTFOUND));

    CLmException withDetail(comError, CLmBSTR(L"(GetName)"), "x.cpp", 1);
    EXPECT_EQ(Text(withDetail.GetMessage()), L"Object not found (GetName) [Rose.Application ]");
}

TEST(ExceptionTest, ForeignExceptionBecomesUnknownErrorAtTheFirstCatcher)
{
    CLmException error = Catch(CallsForeign);
    EXPECT_EQ(Text(error.GetMessage()), L"Unknown error... . Error - [FFFFFF9C]");
    EXPECT_EQ(error.m_Code, -100);
    std::vector<std::wstring> expected = {Location(ForeignLine), Location(OuterLine)};
    EXPECT_EQ(Lines(error.GetLocation()), expected);
}

TEST(ExceptionTest, BoundaryPublishesErrorInformationAndReturnsTheCode)
{
    IErrorInfo* stale = nullptr;
    GetErrorInfo(0, &stale);
    if (stale)
        stale->Release();

    EXPECT_EQ(Boundary(Level1), static_cast<HRESULT>(-100));
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    ASSERT_NE(info, nullptr);
    BSTR description = nullptr;
    info->GetDescription(&description);
    GUID guid{};
    info->GetGUID(&guid);
    info->Release();
    std::wstring expected = L"\r\nDeep failure 3 in Level3 . Error - [FFFFFF9C]\r\n" + Location(Level3Line) + L"\r\n" +
                            Location(Level3Line) + L"\r\n" + Location(Level2Line) + L"\r\n" +
                            Location(Level1Line) + L"\r\n" + Location(BoundaryLine);
    EXPECT_EQ(std::wstring(description ? description : L""), expected);
    SysFreeString(description);
    EXPECT_TRUE(IsEqualGUID(guid, IID_IDispatch));
}

