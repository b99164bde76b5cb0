#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"
#include "vxplat/User.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ToBytes(UINT cp, const std::wstring& text, BOOL* usedDefault = nullptr, LPCSTR defaultChar = nullptr)
{
    int n = WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, defaultChar,
                                usedDefault);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(cp, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, defaultChar,
                            usedDefault);
    return out;
}

std::wstring ToWide(UINT cp, const std::string& bytes)
{
    int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

struct RoundTrip {
    UINT cp;
    std::wstring text;
    std::string bytes;
};

TEST(CodePage, ConvertsBothWays)
{
    const RoundTrip cases[] = {
        {1252, L"caf\u00e9", "caf\xe9"},
        {1252, L"\u20ac \u0160 \u0178", "\x80 \x8a \x9f"},
        {1252, L"\u0081\u008d\u008f\u0090\u009d", "\x81\x8d\x8f\x90\x9d"},  // undefined in 1252, kept as controls
        {936, L"\u4e2d\u6587", "\xd6\xd0\xce\xc4"},
        {936, L"A\u4e2dB", "A\xd6\xd0" "B"},
        {65001, L"caf\u00e9 \u4e2d", "caf\xc3\xa9 \xe4\xb8\xad"},
        // ASCII alone, copied as it is where the code page keeps ASCII
        {936, L"plain ASCII\r\n", "plain ASCII\r\n"},
        {65001, L"plain ASCII\r\n", "plain ASCII\r\n"},
        {1252, L"plain ASCII\r\n", "plain ASCII\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToBytes(c.cp, c.text), c.bytes) << "code page " << c.cp;
        EXPECT_EQ(ToWide(c.cp, c.bytes), c.text) << "code page " << c.cp;
    }
}

TEST(CodePage, UnmappableCharactersBecomeTheDefaultCharacter)
{
    BOOL used = FALSE;
    EXPECT_EQ(ToBytes(1252, L"a\u4e2db", &used), "a?b");
    EXPECT_TRUE(used);
    used = TRUE;
    EXPECT_EQ(ToBytes(1252, L"plain", &used), "plain");
    EXPECT_FALSE(used);
    EXPECT_EQ(ToBytes(1252, L"x\u4e2d", &used, "*"), "x*");
    EXPECT_TRUE(used);
}

TEST(CodePage, SizeQueriesSmallBuffersAndInvalidSequences)
{
    // -1: the terminator is converted and counted.
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, L"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(936, 0, L"\u4e2d", -1, nullptr, 0, nullptr, nullptr), 3);

    wchar_t wide[8];
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, wide, 8), 4);
    EXPECT_STREQ(wide, L"abc");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abcdef", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

    char narrow[2];
    for (UINT cp : {1252u, 936u, static_cast<UINT>(CP_UTF8)}) {
        SetLastError(0);
        EXPECT_EQ(WideCharToMultiByte(cp, 0, L"abc", 3, narrow, 2, nullptr, nullptr), 0) << cp;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << cp;
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(cp, 0, "abc", 3, wide, 2), 0) << cp;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) << cp;
    }

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 0, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xff", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

class AnsiCase : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 1252";
    }
};

TEST_F(AnsiCase, UpperAndLowerInPlace)
{
    struct Case {
        const char* in;
        const char* upper;
        const char* lower;
    };
    const Case cases[] = {
        {"abc XYZ 09", "ABC XYZ 09", "abc xyz 09"},
        {"caf\xe9", "CAF\xc9", "caf\xe9"},
        {"\xe0\xfe\xc0", "\xc0\xde\xc0", "\xe0\xfe\xe0"},
        {"\x9a\x9c\x9e\xff", "\x8a\x8c\x8e\x9f", "\x9a\x9c\x9e\xff"},
        {"\xf7\xd7\xdf\xb5", "\xf7\xd7\xdf\xb5", "\xf7\xd7\xdf\xb5"},  // no case pairs in 1252
    };
    for (const auto& c : cases) {
        std::string up = c.in, down = c.in;
        EXPECT_EQ(CharUpperA(up.data()), up.data());
        CharLowerA(down.data());
        EXPECT_EQ(up, c.upper) << c.in;
        EXPECT_EQ(down, c.lower) << c.in;
    }
    // The single-character form, and the default code page's conversions.
    auto upper = reinterpret_cast<ULONG_PTR>(CharUpperA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>('q'))));
    EXPECT_EQ(upper & 0xFF, static_cast<ULONG_PTR>('Q'));
    auto lower = reinterpret_cast<ULONG_PTR>(CharLowerA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(0xC9))));
    EXPECT_EQ(lower & 0xFF, 0xE9u);
    EXPECT_EQ(ToBytes(CP_ACP, L"\u00e9"), "\xe9");
    EXPECT_EQ(ToWide(CP_ACP, "\x80"), L"\u20ac");
}

}  // namespace
