// What a transactional run relies on, on each platform: a folder's entries flushed,
// several files flushed at once, a second name that keeps a file's old text across its replacement, and whether a
// process still runs (a lock or scratch folder of a dead one is taken over).
#include "TestSupport.h"

#include "vxplat/Durability.h"
#include "vxplat/Files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vxptest::ScratchDir;

void WriteText(const std::wstring& path, const std::string& text)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    CloseHandle(h);
}

std::string ReadText(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<cannot open>";
    char buf[256];
    DWORD read = 0;
    ReadFile(h, buf, sizeof buf, &read, nullptr);
    CloseHandle(h);
    return std::string(buf, read);
}

TEST(Durability, FlushFolderOnlyForAFolder)
{
    ScratchDir dir;
    std::wstring file = dir.Path(L"file.txt");
    WriteText(file, "text");
    struct Case {
        const char* what;
        std::wstring path;
        bool flushed;
    };
    const Case cases[] = {
        {"a folder", dir.Root(), true},
        {"a file", file, false},
        {"a missing folder", dir.Root() + L"\\missing", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VxpFlushFolder(c.path.c_str()), c.flushed) << c.what;
}

TEST(Durability, SecondNameKeepsTheOldTextAcrossAReplacement)
{
    ScratchDir dir;
    std::wstring file = dir.Path(L"Unit.pas"), saved = dir.Path(L"old-1"), fresh = dir.Path(L"Unit.pas.new");
    WriteText(file, "old text");
    ASSERT_TRUE(VxpLinkFile(file.c_str(), saved.c_str()));
    EXPECT_EQ(ReadText(saved), "old text");

    WriteText(fresh, "new text");
    ASSERT_TRUE(ReplaceFileW(file.c_str(), fresh.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr));
    EXPECT_EQ(ReadText(file), "new text");
    EXPECT_EQ(ReadText(saved), "old text");

    // Put back with a rename, as a rolled back run does.
    ASSERT_TRUE(MoveFileExW(saved.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(ReadText(file), "old text");
}

TEST(Durability, LinkRefusals)
{
    ScratchDir dir;
    std::wstring file = dir.Path(L"a.txt"), taken = dir.Path(L"b.txt");
    WriteText(file, "a");
    WriteText(taken, "b");
    struct Case {
        const char* what;
        std::wstring from, to;
    };
    const Case cases[] = {
        {"the new name is taken", file, taken},
        {"no such file", dir.Root() + L"\\missing.txt", dir.Root() + L"\\c.txt"},
        {"no such folder for the new name", file, dir.Root() + L"\\missing\\a.txt"},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(VxpLinkFile(c.from.c_str(), c.to.c_str())) << c.what;
    EXPECT_EQ(ReadText(taken), "b");
}

TEST(Durability, FlushingSeveralFilesTogether)
{
    ScratchDir dir;
    std::vector<HANDLE> open;
    for (int i = 0; i < 12; ++i) {
        std::wstring path = dir.Path(L"f" + std::to_wstring(i) + L".txt");
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        const std::string text = "text " + std::to_string(i);
        ASSERT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        EXPECT_TRUE(VxpStartWriteBack(h));
        open.push_back(h);
    }
    struct Case {
        const char* what;
        std::vector<HANDLE> files;
        size_t failed; // index of the first failure, or the count
    };
    const Case cases[] = {
        {"none", {}, 0},
        {"one", {open[0]}, 1},
        {"all of them", open, open.size()},
        {"a bad handle among them", {open[1], open[2], nullptr, open[3], nullptr}, 2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VxpFlushFiles(c.files.data(), c.files.size()), c.failed) << c.what;
        if (c.failed < c.files.size()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << c.what;
        }
    }
    for (HANDLE h : open)
        CloseHandle(h);
    EXPECT_EQ(ReadText(dir.Path(L"f11.txt")), "text 11");
}

TEST(Durability, ProcessAlive)
{
    struct Case {
        const char* what;
        unsigned long pid;
        bool alive;
    };
    const Case cases[] = {
        {"this process", GetCurrentProcessId(), true},
        {"no process", 0, false},
        {"beyond every process number", 0x7FFFFFF0ul, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VxpProcessAlive(c.pid), c.alive) << c.what;
}

} // namespace
