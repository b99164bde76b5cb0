#include "vxplat/Crt.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

namespace {

int Format(wchar_t* buffer, size_t count, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = _vsnwprintf(buffer, count, format, args);
    va_end(args);
    return n;
}

TEST(WidePrintf, MicrosoftConversions)
{
    wchar_t buf[128];
    struct Case {
        int n;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {Format(buf, 128, L"%s=%d [%X] %x", L"name", -5, 0xABCu, 255u), L"name=-5 [ABC] ff"},
    };
    EXPECT_EQ(cases[0].n, 16);
    EXPECT_STREQ(buf, cases[0].expected);

    EXPECT_EQ(Format(buf, 128, L"%S|%c|%C", "narrow", L'w', 'n'), 10);
    EXPECT_STREQ(buf, L"narrow|w|n");
    Format(buf, 128, L"[%5d][%-4s][%08X][%ls][%hs]", 42, L"ab", 0x1Fu, L"wide", "short");
    EXPECT_STREQ(buf, L"[   42][ab  ][0000001F][wide][short]");
    Format(buf, 128, L"%X", static_cast<unsigned>(0xFFFFFF9C));  // the code of an unknown error
    EXPECT_STREQ(buf, L"FFFFFF9C");
    Format(buf, 128, L"%d%%", 100);
    EXPECT_STREQ(buf, L"100%");
    Format(buf, 128, L"%I64d %.3s", static_cast<long long>(1) << 40, L"abcdef");
    EXPECT_STREQ(buf, L"1099511627776 abc");
    Format(buf, 128, L"%*d|%.*s", 4, 7, 2, L"xyz");
    EXPECT_STREQ(buf, L"   7|xy");
}

TEST(WidePrintf, TooSmallBufferGivesANegativeResult)
{
    wchar_t buf[8];
    EXPECT_LT(_snwprintf(buf, 4, L"%s", L"abcdef"), 0);
    EXPECT_EQ(_snwprintf(buf, 8, L"%s", L"abc"), 3);
    EXPECT_STREQ(buf, L"abc");
    // Exactly full: the count comes back and no terminator is written.
    buf[4] = L'#';
    EXPECT_EQ(_snwprintf(buf, 4, L"%s", L"wxyz"), 4);
    EXPECT_EQ(std::wstring(buf, 5), L"wxyz#");
}

struct Split {
    const wchar_t* path;
    const wchar_t* drive;
    const wchar_t* dir;
    const wchar_t* fname;
    const wchar_t* ext;
};

TEST(SplitPath, LikeWindows)
{
    const Split cases[] = {
        {L"C:\\dir\\sub\\file.txt", L"C:", L"\\dir\\sub\\", L"file", L".txt"},
        {L"dir/file", L"", L"dir/", L"file", L""},
        {L"file.tar.gz", L"", L"", L"file.tar", L".gz"},
        {L"C:", L"C:", L"", L"", L""},
        {L"\\dir.d\\name", L"", L"\\dir.d\\", L"name", L""},
        {L".profile", L"", L"", L"", L".profile"},
        {L"out\\Gen\\", L"", L"out\\Gen\\", L"", L""},
        {L"a/b\\c.pas", L"", L"a/b\\", L"c", L".pas"},
        {L"", L"", L"", L"", L""},
    };
    for (const auto& c : cases) {
        wchar_t drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
        _wsplitpath(c.path, drive, dir, fname, ext);
        EXPECT_STREQ(drive, c.drive) << c.path;
        EXPECT_STREQ(dir, c.dir) << c.path;
        EXPECT_STREQ(fname, c.fname) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
    }
    wchar_t onlyName[_MAX_FNAME];
    _wsplitpath(L"x\\y.z", nullptr, nullptr, onlyName, nullptr);
    EXPECT_STREQ(onlyName, L"y");
}

}  // namespace
