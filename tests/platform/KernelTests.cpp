#include "vxplat/Kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EnterCriticalSection(&cs);  // the owner may enter again
    auto otherGetsIt = [&cs] {
        BOOL got = FALSE;
        std::thread([&] {
            got = TryEnterCriticalSection(&cs);
            if (got) LeaveCriticalSection(&cs);
        }).join();
        return got != FALSE;
    };
    EXPECT_FALSE(otherGetsIt());
    LeaveCriticalSection(&cs);
    EXPECT_FALSE(otherGetsIt()) << "still held once";
    LeaveCriticalSection(&cs);
    EXPECT_TRUE(otherGetsIt());
    DeleteCriticalSection(&cs);
}

TEST(ModuleFileName, OfTheExecutable)
{
    wchar_t path[261];
    DWORD n = GetModuleFileNameW(nullptr, path, 261);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, 261u);
    EXPECT_EQ(std::wcslen(path), n);
    EXPECT_NE(std::wstring(path).find(L"platform_tests"), std::wstring::npos) << path;
    EXPECT_EQ(GetModuleFileNameW(nullptr, path, 8), 8u) << "truncated to the buffer";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
