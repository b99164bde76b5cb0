#include "TestSupport.h"

#include "vxplat/Files.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vxptest::ScratchDir;

HANDLE Open(const std::wstring& path, DWORD access, DWORD disposition)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteText(const std::wstring& path, const std::string& text)
{
    HANDLE h = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    EXPECT_EQ(written, text.size());
    CloseHandle(h);
}

std::string ReadText(const std::wstring& path)
{
    HANDLE h = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return "<cannot open>";
    char buf[256];
    DWORD read = 0;
    ReadFile(h, buf, sizeof buf, &read, nullptr);
    CloseHandle(h);
    return std::string(buf, read);
}

class Files : public ::testing::Test {
protected:
    ScratchDir dir;
};

TEST_F(Files, CreationDispositions)
{
    std::wstring path = dir.Path(L"file.txt");
    struct Step {
        const char* what;
        DWORD disposition;
        DWORD access;
        bool opens;
        DWORD lastError;
        const char* contentAfter;  // nullptr: no file expected
    };
    const Step steps[] = {
        {"open a missing file", OPEN_EXISTING, GENERIC_READ, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"truncate a missing file", TRUNCATE_EXISTING, GENERIC_WRITE, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"create a new file", CREATE_NEW, GENERIC_WRITE, true, ERROR_SUCCESS, ""},
        {"create it again", CREATE_NEW, GENERIC_WRITE, false, ERROR_FILE_EXISTS, ""},
    };
    for (const auto& s : steps) {
        SetLastError(12345);
        HANDLE h = Open(path, s.access, s.disposition);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, s.opens) << s.what;
        if (!s.opens) {
            EXPECT_EQ(GetLastError(), s.lastError) << s.what;
        }
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        if (s.contentAfter) {
            EXPECT_EQ(ReadText(path), s.contentAfter) << s.what;
        } else {
            EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << s.what;
        }
    }

    WriteText(path, "old content");
    HANDLE h = Open(path, GENERIC_WRITE, OPEN_ALWAYS);  // existing: kept as it is
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(h);
    EXPECT_EQ(ReadText(path), "old content");

    h = Open(path, GENERIC_WRITE, CREATE_ALWAYS);  // existing: emptied
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);

    WriteText(path, "again");
    h = Open(path, GENERIC_WRITE, TRUNCATE_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(h, nullptr), 0u);
    CloseHandle(h);

    std::wstring fresh = dir.Path(L"fresh.txt");
    h = Open(fresh, GENERIC_WRITE, OPEN_ALWAYS);  // missing: created
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(h);
    EXPECT_NE(GetFileAttributesW(fresh.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, ReadWriteSeekAndSize)
{
    std::wstring path = dir.Path(L"data.bin");
    HANDLE h = Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
    EXPECT_EQ(n, 11u);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(h, &high), 11u);
    EXPECT_EQ(high, 0u);

    EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
    char buf[16] = {};
    ASSERT_TRUE(ReadFile(h, buf, 5, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "world");
    ASSERT_TRUE(ReadFile(h, buf, 5, &n, nullptr));  // at the end: success with nothing read
    EXPECT_EQ(n, 0u);

    EXPECT_EQ(SetFilePointer(h, -5, nullptr, FILE_END), 6u);
    EXPECT_EQ(SetFilePointer(h, -6, nullptr, FILE_CURRENT), 0u);
    LONG highPart = 0;
    EXPECT_EQ(SetFilePointer(h, 3, &highPart, FILE_BEGIN), 3u);
    EXPECT_EQ(highPart, 0);
    ASSERT_TRUE(ReadFile(h, buf, 2, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "lo");

    SetLastError(0);
    EXPECT_EQ(SetFilePointer(h, -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));

    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), 11u);
    ASSERT_TRUE(WriteFile(h, "!", 1, &n, nullptr));
    EXPECT_EQ(GetFileSize(h, nullptr), 12u);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(ReadText(path), "hello world!");
}

TEST_F(Files, MissingFolderInThePath)
{
    std::wstring path = dir.Root() + L"\\no-such-folder\\file.txt";
    EXPECT_EQ(Open(path, GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(CreateDirectoryW((dir.Root() + L"\\no-such-folder\\sub").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, Folders)
{
    std::wstring folder = dir.Path(L"Folder");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    DWORD attributes = GetFileAttributesW(folder.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

    std::wstring inner = dir.Path(L"Folder\\inner.txt");
    WriteText(inner, "content");
    attributes = GetFileAttributesW(inner.c_str());
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(RemoveDirectoryW(folder.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(DeleteFileW(folder.c_str()));  // a folder is not a file
    EXPECT_TRUE(DeleteFileW(inner.c_str()));
    EXPECT_FALSE(DeleteFileW(inner.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, MoveReplacesOnlyWhenAsked)
{
    std::wstring a = dir.Path(L"a.txt"), b = dir.Path(L"b.txt");
    WriteText(a, "first");
    WriteText(b, "second");
    EXPECT_FALSE(MoveFileExW(a.c_str(), b.c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadText(b), "second");
    ASSERT_TRUE(MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadText(b), "first");
    EXPECT_EQ(GetFileAttributesW(a.c_str()), INVALID_FILE_ATTRIBUTES);

    std::wstring c = dir.Path(L"c.txt");
    ASSERT_TRUE(MoveFileExW(b.c_str(), c.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadText(c), "first");
}

TEST_F(Files, PathsIgnoreLetterCase)
{
    std::wstring sub = dir.Path(L"MixedCase");
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    std::wstring file = dir.Path(L"MixedCase\\Unit.PAS");
    WriteText(file, "unit");

    EXPECT_EQ(ReadText(dir.Root() + L"\\MIXEDCASE\\unit.pas"), "unit");
    EXPECT_EQ(ReadText(dir.Root() + L"/mixedcase/UNIT.Pas"), "unit");
    EXPECT_TRUE(GetFileAttributesW((dir.Root() + L"\\mixedCASE").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(CreateDirectoryW((dir.Root() + L"\\MIXEDCASE").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    // A new file in an existing folder named in another case lands in that folder.
    std::wstring other = dir.Path(L"MixedCase\\Other.txt");
    WriteText(dir.Root() + L"\\MIXEDCASE\\Other.txt", "other");
    EXPECT_EQ(ReadText(other), "other");
}

}  // namespace
