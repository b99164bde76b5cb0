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

TEST(LastError, IsPerThread)
{
    // Starting and joining a thread may itself change the last error, so the
    // threads meet through atomics alone while the values are compared.
    std::atomic<int> step{0};
    DWORD seen = 12345;
    std::thread other([&] {
        while (step.load() != 1) {
        }
        SetLastError(ERROR_ACCESS_DENIED);
        step.store(2);
        while (step.load() != 3) {
        }
        seen = GetLastError();
    });
    SetLastError(ERROR_FILE_NOT_FOUND);
    step.store(1);
    while (step.load() != 2) {
    }
    DWORD mine = GetLastError();
    SetLastError(ERROR_INVALID_DATA);
    step.store(3);
    other.join();
    EXPECT_EQ(mine, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(seen, static_cast<DWORD>(ERROR_ACCESS_DENIED));
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

TEST(Library, MissingModuleFails)
{
    SetLastError(0);
    HMODULE m = LoadLibraryW(L"vexlo-no-such-module-4711.dll");
    EXPECT_EQ(m, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
