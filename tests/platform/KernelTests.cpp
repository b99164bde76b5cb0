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
    BOOL otherGotIt = TRUE;
    std::thread([&] {
        otherGotIt = TryEnterCriticalSection(&cs);
        if (otherGotIt) LeaveCriticalSection(&cs);
    }).join();
    EXPECT_FALSE(otherGotIt);

    LeaveCriticalSection(&cs);
    std::thread([&] {
        otherGotIt = TryEnterCriticalSection(&cs);
        if (otherGotIt) LeaveCriticalSection(&cs);
    }).join();
    EXPECT_FALSE(otherGotIt) << "still held once";

    LeaveCriticalSection(&cs);
    std::thread([&] {
        otherGotIt = TryEnterCriticalSection(&cs);
        if (otherGotIt) LeaveCriticalSection(&cs);
    }).join();
    EXPECT_TRUE(otherGotIt);
    DeleteCriticalSection(&cs);
}

TEST(CriticalSection, SerialisesUpdates)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    long long total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&cs);
                total = total + 1;
                LeaveCriticalSection(&cs);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(total, 80000);
    DeleteCriticalSection(&cs);
}

TEST(Interlocked, CountsAcrossThreadsAndReturnsTheNewValue)
{
    volatile LONG count = 0;
    EXPECT_EQ(InterlockedIncrement(&count), 1);
    EXPECT_EQ(InterlockedDecrement(&count), 0);
    EXPECT_EQ(InterlockedDecrement(&count), -1);
    InterlockedIncrement(&count);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                InterlockedIncrement(&count);
                InterlockedIncrement(&count);
                InterlockedDecrement(&count);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(count, 80000);
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

TEST(TickCount, Advances)
{
    DWORD start = GetTickCount();
    Sleep(50);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 5000u);
}

TEST(ModuleFileName, OfTheExecutable)
{
    wchar_t path[261];
    DWORD n = GetModuleFileNameW(nullptr, path, 261);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, 261u);
    EXPECT_EQ(std::wcslen(path), n);
    EXPECT_NE(std::wstring(path).find(L"platform_tests"), std::wstring::npos) << path;
}

TEST(ModuleFileName, TruncatesToTheBuffer)
{
    wchar_t path[8];
    DWORD n = GetModuleFileNameW(nullptr, path, 8);
    EXPECT_EQ(n, 8u);
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
