// Files with the library's mode codes, text lines in the ANSI code page, folders.
#include "LmBinaryFile.h"
#include "LmCustomTextFile.h"
#include "LmFoldersManager.h"
#include "LmTestSupport.h"

#include <vxplat/CodePage.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace LmTest;
using namespace LmLib::File;
namespace fs = std::filesystem;

namespace
{
    class FileTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_TRUE(VxpSetAnsiCodePage(1252) || GetACP() == 1252);
            const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
            m_Folder = fs::temp_directory_path() /
                       ("lmlib-" + std::string(info->name()) + "-" +
                        std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
            fs::create_directories(m_Folder);
        }
        void TearDown() override
        {
            std::error_code ignored;
            fs::remove_all(m_Folder, ignored);
        }

        CLmBSTR PathOf(const std::string& name) const { return CLmBSTR((m_Folder / name).wstring().c_str()); }

        void WriteBytes(const std::string& name, const std::string& bytes) const
        {
            std::ofstream out(m_Folder / name, std::ios::binary);
            out << bytes;
        }

        std::string ReadBytes(const std::string& name) const
        {
            std::ifstream in(m_Folder / name, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }

        fs::path m_Folder;
    };
}

TEST_F(FileTest, ModeCodesMapToWin32Values)
{
    struct Case
    {
        DWORD (*map)(int);
        int code;
        DWORD expected;
    };
    const Case cases[] = {
        {CLmFile::MapDesiredAccess, 0, 0},
        {CLmFile::MapDesiredAccess, 1, GENERIC_READ},
        {CLmFile::MapDesiredAccess, 2, GENERIC_WRITE},
        {CLmFile::MapDesiredAccess, 0x7FFFFFFF, GENERIC_READ | GENERIC_WRITE},
        {CLmFile::MapShareMode, 0, 0},
        {CLmFile::MapShareMode, 1, FILE_SHARE_DELETE},
        {CLmFile::MapShareMode, 2, FILE_SHARE_READ},
        {CLmFile::MapShareMode, 4, FILE_SHARE_WRITE},
        {CLmFile::MapShareMode, 0x7FFFFFFF, FILE_SHARE_DELETE | FILE_SHARE_READ | FILE_SHARE_WRITE},
        {CLmFile::MapCreationDisposition, 1, CREATE_NEW},
        {CLmFile::MapCreationDisposition, 2, CREATE_ALWAYS},
        {CLmFile::MapCreationDisposition, 4, OPEN_EXISTING},
        {CLmFile::MapCreationDisposition, 8, OPEN_ALWAYS},
        {CLmFile::MapCreationDisposition, 16, TRUNCATE_EXISTING},
        {CLmFile::MapMoveMethod, 1, FILE_BEGIN},
        {CLmFile::MapMoveMethod, 2, FILE_CURRENT},
        {CLmFile::MapMoveMethod, 4, FILE_END},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.map(c.code), c.expected) << "code " << c.code;
}

TEST_F(FileTest, EveryValidCodeOpens)
{
    WriteBytes("existing.txt", "content");
    for (int access : {0, 1, 2, 0x7FFFFFFF})
        EXPECT_TRUE(CLmFile::Create(nullptr, PathOf("existing.txt"), access, 0x7FFFFFFF, LmOpenExisting))
            << "access " << access;
    for (int share : {0, 1, 2, 4, 0x7FFFFFFF})
        EXPECT_TRUE(CLmFile::Create(nullptr, PathOf("existing.txt"), LmAccessRead, share, LmOpenExisting))
            << "share " << share;
    struct Case
    {
        int disposition;
        const char* name;
    };
    const Case dispositions[] = {
        {LmCreateNew, "new.txt"},        {LmCreateAlways, "existing.txt"},     {LmOpenExisting, "existing.txt"},
        {LmOpenAlways, "another.txt"},   {LmTruncateExisting, "existing.txt"},
    };
    for (const Case& c : dispositions)
    {
        CLmPtr<CLmFile> file = CLmFile::Create(nullptr, PathOf(c.name), LmAccessAll, LmShareAll, c.disposition);
        ASSERT_TRUE(file) << "disposition " << c.disposition;
        EXPECT_EQ(file->GetCreationDisposition(), c.disposition);
        EXPECT_EQ(Text(file->GetPath()), Text(PathOf(c.name)));
        EXPECT_TRUE(file->IsValid());
        file->Close();
    }
    EXPECT_TRUE(fs::exists(m_Folder / "new.txt"));
    EXPECT_TRUE(fs::exists(m_Folder / "another.txt"));
    EXPECT_EQ(fs::file_size(m_Folder / "existing.txt"), 0u) << "truncated";
    EXPECT_FALSE(CLmFile::Create(nullptr, PathOf("new.txt"), LmAccessWrite, LmShareNone, LmCreateNew))
        << "CREATE_NEW refuses an existing file";
}

TEST_F(FileTest, UnknownCodesRaiseTheirMessages)
{
    WriteBytes("existing.txt", "content");
    struct Case
    {
        int access, share, disposition;
        const wchar_t* message;
    };
    const Case cases[] = {
        {3, 0, 4, L"Unexpected Desired Access type [3] . Error - [FFFFFF9C]"},
        {-1, 0, 4, L"Unexpected Desired Access type [-1] . Error - [FFFFFF9C]"},
        {3, 6, 0, L"Unexpected Desired Access type [3] . Error - [FFFFFF9C]"},
        {1, 6, 4, L"Unexpected Sgare Mode type [6] . Error - [FFFFFF9C]"},
        {1, 8, 0, L"Unexpected Sgare Mode type [8] . Error - [FFFFFF9C]"},
        {1, 2, 0, L"Unexpected Creation Disposition type [0] . Error - [FFFFFF9C]"},
        {1, 2, 3, L"Unexpected Creation Disposition type [3] . Error - [FFFFFF9C]"},
        {1, 2, 0x7FFFFFFF, L"Unexpected Creation Disposition type [2147483647] . Error - [FFFFFF9C]"},
    };
    for (const Case& c : cases)
    {
        CLmException error =
            Catch([&] { CLmFile::Create(nullptr, PathOf("existing.txt"), c.access, c.share, c.disposition); });
        EXPECT_EQ(Text(error.GetMessage()), c.message);
        EXPECT_EQ(error.m_Code, -100);
    }

    CLmPtr<CLmFile> file = CLmFile::Create(nullptr, PathOf("existing.txt"), LmAccessRead, LmShareAll, LmOpenExisting);
    ASSERT_TRUE(file);
    for (int method : {0, 3, 0x7FFFFFFF})
    {
        CLmException error = Catch([&] { file->Seek(0, nullptr, method); });
        EXPECT_EQ(Text(error.GetMessage()), Text(CLmBSTR::FormatString(
                                                L"Unexpected Move Method type [%d] . Error - [FFFFFF9C]", method)));
    }
    EXPECT_EQ(file->Seek(2, nullptr, LmMoveBegin), 2u);
    EXPECT_EQ(file->Seek(1, nullptr, LmMoveCurrent), 3u);
    EXPECT_EQ(file->Seek(-1, nullptr, LmMoveEnd), 6u);
    EXPECT_EQ(file->GetSize(), 7u);
}

TEST_F(FileTest, MissingFileYieldsNullWithoutError)
{
    CLmPtr<CLmFile> file;
    EXPECT_NO_THROW(file = CLmFile::Create(nullptr, PathOf("missing.txt"), LmAccessRead, LmShareAll, LmOpenExisting));
    EXPECT_TRUE(file.IsNull());
    EXPECT_FALSE(CLmCustomTextFile::Create(nullptr, PathOf("missing.txt"), LmAccessRead, LmShareAll, LmOpenExisting));
}

TEST_F(FileTest, WholeTextWrittenInOnePieceInTheAnsiCodePage)
{
    CLmBSTR text(L"unit Caf\u00e9;\r\nend.\r\n");
    std::string bytes = text.ToAnsi();
    {
        CLmPtr<CLmBinaryFile> file =
            CLmBinaryFile::Create(nullptr, PathOf("Cafe.pas"), LmAccessWrite, LmShareWrite, LmCreateAlways);
        ASSERT_TRUE(file);
        unsigned written = 0;
        EXPECT_TRUE(file->Write(bytes.data(), static_cast<unsigned>(bytes.size()), &written, nullptr));
        EXPECT_EQ(written, bytes.size());
    }
    EXPECT_EQ(ReadBytes("Cafe.pas"), std::string("unit Caf\xe9;\r\nend.\r\n"));

    CLmPtr<CLmBinaryFile> file =
        CLmBinaryFile::Create(nullptr, PathOf("Cafe.pas"), LmAccessRead, LmShareAll, LmOpenExisting);
    ASSERT_TRUE(file);
    std::string back(file->GetSize(), '\0');
    unsigned read = 0;
    EXPECT_TRUE(file->Read(back.data(), static_cast<unsigned>(back.size()), &read, nullptr));
    EXPECT_EQ(Text(CLmBSTR::FromAnsi(back.data(), static_cast<int>(read))), Text(text));
}

TEST_F(FileTest, WriteLineAppendsCrLf)
{
    {
        CLmPtr<CLmCustomTextFile> file =
            CLmCustomTextFile::Create(nullptr, PathOf("lines.txt"), LmAccessWrite, LmShareNone, LmCreateAlways);
        ASSERT_TRUE(file);
        file->WriteLine(CLmBSTR());
    }
    EXPECT_EQ(ReadBytes("lines.txt"), std::string("\r\n"));
    {
        CLmPtr<CLmCustomTextFile> file =
            CLmCustomTextFile::Create(nullptr, PathOf("lines.txt"), LmAccessWrite, LmShareNone, LmCreateAlways);
        file->WriteLine(L"\u00e9t\u00e9");
        file->WriteLine(L"x");
    }
    EXPECT_EQ(ReadBytes("lines.txt"), std::string("\xe9t\xe9\r\nx\r\n"));
}

TEST_F(FileTest, ReadLineAdvancesPastTheLineEnd)
{
    WriteBytes("zones.pas", "first\r\nsecond caf\xe9\r\n\r\ntail");
    CLmPtr<CLmCustomTextFile> file =
        CLmCustomTextFile::Create(nullptr, PathOf("zones.pas"), LmAccessRead, LmShareAll, LmOpenExisting);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetPosition(), 0u);
    EXPECT_EQ(file->GetBlockSize(), 1024u);
    struct Step
    {
        const wchar_t* line;
        DWORD position;
    };
    const Step steps[] = {{L"first", 7}, {L"second caf\u00e9", 20}, {L"", 22}, {L"", 26}};
    for (const Step& step : steps)
    {
        file->Seek(static_cast<LONG>(file->GetPosition()), nullptr, LmMoveBegin);
        EXPECT_EQ(Text(file->ReadLine()), step.line);
        EXPECT_EQ(file->GetPosition(), step.position);
    }
    file->SetPosition(7);
    file->Seek(7, nullptr, LmMoveBegin);
    EXPECT_EQ(Text(file->ReadLine()), L"second caf\u00e9");
}

TEST_F(FileTest, CreateFolderBuildsWholeChains)
{
    CLmPtr<CLmFoldersManager> folders = CLmFoldersManager::Create(nullptr);
    ASSERT_TRUE(folders);

    fs::path deep = m_Folder / "one" / "two" / "three";
    EXPECT_TRUE(folders->CreateFolder(deep.wstring().c_str()));
    EXPECT_TRUE(fs::is_directory(deep));

    fs::path trailing = m_Folder / "alpha" / "beta";
    EXPECT_TRUE(folders->CreateFolder((trailing.wstring() + L"/").c_str()));
    EXPECT_TRUE(fs::is_directory(trailing));

    fs::path backslashed = m_Folder / "gamma" / "delta";
    EXPECT_TRUE(folders->CreateFolder((m_Folder.wstring() + L"\\gamma\\delta").c_str()));
    EXPECT_TRUE(fs::is_directory(backslashed));

    auto entries = [&] { return std::distance(fs::recursive_directory_iterator(m_Folder), {}); };
    auto before = entries();
    EXPECT_TRUE(folders->CreateFolder(deep.wstring().c_str())) << "an existing folder";
    EXPECT_EQ(entries(), before);

    WriteBytes("plain.txt", "x");
    EXPECT_FALSE(folders->CreateFolder(PathOf("plain.txt")));
    EXPECT_FALSE(folders->CreateFolder((m_Folder / "plain.txt" / "below").wstring().c_str()));
}
