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

namespace {

// Threads that keep re-entering one section: an unguarded count would lose increments
// and a lost wake-up would hang the join.
TEST(CriticalSection, SerialisesContendingThreads)
{
    struct Case { int threads; int rounds; int depth; };
    for (const Case& c : {Case{2, 20000, 1}, Case{4, 5000, 3}}) {
        CRITICAL_SECTION cs;
        InitializeCriticalSection(&cs);
        long count = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < c.threads; ++t)
            threads.emplace_back([&] {
                for (int r = 0; r < c.rounds; ++r) {
                    for (int d = 0; d < c.depth; ++d) EnterCriticalSection(&cs);
                    long seen = count;
                    std::this_thread::yield();
                    count = seen + 1;
                    for (int d = 0; d < c.depth; ++d) LeaveCriticalSection(&cs);
                }
            });
        for (std::thread& t : threads) t.join();
        EXPECT_EQ(count, static_cast<long>(c.threads) * c.rounds) << c.threads << " threads";
        DeleteCriticalSection(&cs);
    }
}

}  // namespace
