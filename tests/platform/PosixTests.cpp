// What the platform layer offers only where it stands in for Windows: the
// Vxp* settings, path case resolution on a case-sensitive file system, module
// handles of the dynamic loader and message boxes without a screen.
#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"
#include "vxplat/Module.h"
#include "vxplat/User.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <set>
#include <string>

namespace {

TEST(ProcessImagePath, CanPoseAsAnotherExecutable)
{
    ASSERT_TRUE(VxpSetProcessImagePath(L"C:\\Program Files\\Rational\\Rose\\ROSE.EXE"));
    wchar_t path[261];
    DWORD n = GetModuleFileNameW(nullptr, path, 261);
    EXPECT_STREQ(path, L"C:\\Program Files\\Rational\\Rose\\ROSE.EXE");
    ASSERT_GE(n, 8u);
    std::wstring tail(path + n - 8);
    for (auto& c : tail) c = static_cast<wchar_t>(std::towlower(c));
    EXPECT_EQ(tail, L"rose.exe");

    wchar_t small[8];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 8), 8u);  // truncated and terminated, as Vista and later do
    EXPECT_STREQ(small, L"C:\\Prog");

    ASSERT_TRUE(VxpSetProcessImagePath(nullptr));
    GetModuleFileNameW(nullptr, path, 261);
    char real[4096];
    ssize_t len = readlink("/proc/self/exe", real, sizeof real - 1);
    ASSERT_GT(len, 0);
    real[len] = 0;
    std::string narrow;
    for (const wchar_t* p = path; *p; ++p) narrow += static_cast<char>(*p);
    EXPECT_EQ(narrow, real);
}

TEST(AnsiCodePage, CanBeChosen)
{
    UINT before = GetACP();
    ASSERT_TRUE(VxpSetAnsiCodePage(936));
    EXPECT_EQ(GetACP(), 936u);
    wchar_t out[4] = {};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xd6\xd0", 2, out, 4), 1);
    EXPECT_EQ(out[0], L'\u4e2d');
    // A double-byte character is left alone even when its second byte is a letter.
    std::string text = "a\x81" "b" "c";
    CharUpperA(text.data());
    EXPECT_EQ(text, "A\x81" "bC");
    EXPECT_FALSE(VxpSetAnsiCodePage(99999));
    EXPECT_EQ(GetACP(), 936u);
    // UTF-8 as the ANSI code page: multi-byte characters keep their case.
    ASSERT_TRUE(VxpSetAnsiCodePage(CP_UTF8));
    char utf8[8] = {};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u00e9", 1, utf8, 8, nullptr, nullptr), 2);
    EXPECT_EQ(std::string(utf8), "\xc3\xa9");
    std::string mixed = "ab\xc3\xa9";
    CharUpperA(mixed.data());
    EXPECT_EQ(mixed, "AB\xc3\xa9");
    ASSERT_TRUE(VxpSetAnsiCodePage(before));
}

class MessageBoxes : public ::testing::Test {
protected:
    void TearDown() override { VxpSetMessageBoxHandler(nullptr); }
    static std::wstring s_seen;
    static int Answer(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
    {
        s_seen = std::wstring(caption) + L": " + text + L" " + std::to_wstring(type);
        return IDNO;
    }
};
std::wstring MessageBoxes::s_seen;

TEST_F(MessageBoxes, HandlerTakesThemOver)
{
    EXPECT_EQ(VxpSetMessageBoxHandler(&Answer), nullptr);
    EXPECT_EQ(MessageBoxW(nullptr, L"Recursive dependency", L"Vexlo", MB_YESNO), IDNO);
    EXPECT_EQ(s_seen, L"Vexlo: Recursive dependency 4");
    EXPECT_EQ(VxpSetMessageBoxHandler(nullptr), &Answer);
}

TEST_F(MessageBoxes, WithoutHandlerTheDefaultButtonAnswers)
{
    struct Case {
        UINT type;
        int answer;
    };
    const Case cases[] = {{MB_OK, IDOK},
                          {MB_YESNO | MB_ICONWARNING, IDYES},
                          {MB_YESNO | MB_DEFBUTTON2, IDNO},
                          {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
                          {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
                          {MB_ABORTRETRYIGNORE, IDABORT},
                          {MB_RETRYCANCEL, IDRETRY}};
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(MessageBoxW(nullptr, L"the text", L"the caption", c.type), c.answer) << c.type;
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("the caption"), std::string::npos);
        EXPECT_NE(err.find("the text"), std::string::npos);
    }
}

// A function of the test program itself (the platform layer is a shared library).
static int ProgramMarker() { return 7; }

TEST(Modules, LoaderHandlesAndTheirPaths)
{
    HMODULE m = LoadLibraryW(L"libm.so.6");
    ASSERT_NE(m, nullptr);
    auto cosine = reinterpret_cast<double (*)(double)>(reinterpret_cast<void (*)()>(GetProcAddress(m, "cos")));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(GetProcAddress(m, "no_such_function_4711"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    wchar_t path[512];
    DWORD n = GetModuleFileNameW(m, path, 512);
    ASSERT_GT(n, 0u);
    EXPECT_NE(std::wstring(path).find(L"libm"), std::wstring::npos) << path;
    EXPECT_EQ(VxpModuleFromAddress(reinterpret_cast<const void*>(cosine)), m);
    EXPECT_EQ(ProgramMarker(), 7);
    EXPECT_EQ(VxpModuleFromAddress(reinterpret_cast<const void*>(&ProgramMarker)), nullptr) << "the executable";
    EXPECT_TRUE(FreeLibrary(m));
}

// Names of the entries of a folder, exactly as stored.
std::set<std::string> Entries(const std::string& dir)
{
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

class PathCase : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        root = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexlo-pathcase-" + std::to_string(getpid());
        ASSERT_EQ(mkdir(root.c_str(), 0777), 0);
        wroot = std::wstring(root.begin(), root.end());
    }
    void TearDown() override { std::system(("rm -rf '" + root + "'").c_str()); }
    std::string root;
    std::wstring wroot;
};

TEST_F(PathCase, MissingComponentsAreCreatedWithTheCaseGiven)
{
    ASSERT_EQ(mkdir((root + "/Alpha").c_str(), 0777), 0);
    ASSERT_TRUE(CreateDirectoryW((wroot + L"\\ALPHA\\NewFolder").c_str(), nullptr));
    EXPECT_EQ(Entries(root), std::set<std::string>{"Alpha"});
    EXPECT_EQ(Entries(root + "/Alpha"), std::set<std::string>{"NewFolder"});

    HANDLE h = CreateFileW((wroot + L"\\alpha\\NEWFOLDER\\Unit1.PAS").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(Entries(root + "/Alpha/NewFolder"), std::set<std::string>{"Unit1.PAS"});
}

TEST_F(PathCase, ExactMatchWinsOverOtherCases)
{
    ASSERT_EQ(mkdir((root + "/dir").c_str(), 0777), 0);
    ASSERT_EQ(mkdir((root + "/DIR").c_str(), 0777), 0);
    ASSERT_TRUE(CreateDirectoryW((wroot + L"\\DIR\\x").c_str(), nullptr));
    EXPECT_EQ(Entries(root + "/DIR"), std::set<std::string>{"x"});
    EXPECT_TRUE(Entries(root + "/dir").empty());
    // No exact match: the first name in order that matches ignoring case.
    ASSERT_TRUE(CreateDirectoryW((wroot + L"\\Dir\\y").c_str(), nullptr));
    EXPECT_EQ(Entries(root + "/DIR"), (std::set<std::string>{"x", "y"}));
}

TEST_F(PathCase, ChangesMadeByOthersAreSeen)
{
    // Each step: a change made beside the platform layer (a rename from -> to; no from:
    // created; no to: removed), then a file opened or created under a name in another case.
    struct Step {
        const char* what;
        const char* from;
        const char* to;
        const wchar_t* name;
        std::set<std::string> after;
    };
    const Step steps[] = {
        {"found in another case", nullptr, nullptr, L"UNIT.PAS", {"Unit.pas"}},
        {"renamed away", "Unit.pas", "Other.pas", L"unit.pas", {"Other.pas", "unit.pas"}},
        {"created", nullptr, "NEW.txt", L"new.TXT", {"NEW.txt", "Other.pas", "unit.pas"}},
        {"removed", "unit.pas", nullptr, L"UNIT.pas", {"NEW.txt", "Other.pas", "UNIT.pas"}},
        {"its case changed", "Other.pas", "OTHER.pas", L"other.PAS", {"NEW.txt", "OTHER.pas", "UNIT.pas"}},
    };
    // Quickly, within one tick of the clock as the folder's own last change, and with the
    // folder left alone long enough for its listing to be kept.
    for (bool settle : {false, true}) {
        std::string folder = root + (settle ? "/settled" : "/quick");
        std::wstring wfolder(folder.begin(), folder.end());
        ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
        std::system(("touch '" + folder + "/Unit.pas'").c_str());
        for (const Step& step : steps) {
            if (settle) usleep(30000);
            std::wstring path = wfolder + L"\\" + step.name;
            GetFileAttributesW(path.c_str()); // the folder looked at before the change
            if (step.from && step.to) {
                ASSERT_EQ(std::rename((folder + "/" + step.from).c_str(), (folder + "/" + step.to).c_str()), 0);
            } else if (step.to) {
                std::system(("touch '" + folder + "/" + step.to + "'").c_str());
            } else if (step.from) {
                ASSERT_EQ(unlink((folder + "/" + step.from).c_str()), 0);
            }
            HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(h, INVALID_HANDLE_VALUE) << step.what;
            CloseHandle(h);
            EXPECT_EQ(Entries(folder), step.after) << step.what << (settle ? ", settled" : ", quick");
        }
    }
}

TEST_F(PathCase, OwnChangesKeepTheFolderListingTrue)
{
    // Changes made through the layer, each followed by look-ups in other letter cases:
    // the folder's listing follows them rather than being read again, and must stay true.
    const std::wstring dir = wroot + L"\\own";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    std::system(("touch '" + root + "/own/Twin.txt' '" + root + "/own/twin.txt'").c_str());
    auto create = [&](const wchar_t* name) {
        HANDLE h = CreateFileW((dir + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return h != INVALID_HANDLE_VALUE;
    };
    struct Step {
        const char* what;
        std::function<bool()> change;
        std::vector<std::pair<const wchar_t*, bool>> lookups; // name, whether it exists in some case
        std::set<std::string> after;
    };
    const Step steps[] = {
        {"created", [&] { return create(L"Unit.pas"); }, {{L"UNIT.PAS", true}, {L"unit2.pas", false}},
         {"Twin.txt", "twin.txt", "Unit.pas"}},
        {"renamed", [&] { return MoveFileExW((dir + L"\\unit.PAS").c_str(), (dir + L"\\Main.pas").c_str(), 0) != 0; },
         {{L"unit.pas", false}, {L"MAIN.PAS", true}}, {"Main.pas", "Twin.txt", "twin.txt"}},
        {"folder made", [&] { return CreateDirectoryW((dir + L"\\Sub").c_str(), nullptr) != 0; },
         {{L"SUB", true}}, {"Main.pas", "Sub", "Twin.txt", "twin.txt"}},
        {"the first of two names removed", [&] { return DeleteFileW((dir + L"\\Twin.txt").c_str()) != 0; },
         {{L"TWIN.TXT", true}}, {"Main.pas", "Sub", "twin.txt"}},
        {"the last one removed", [&] { return DeleteFileW((dir + L"\\TWIN.txt").c_str()) != 0; },
         {{L"Twin.txt", false}}, {"Main.pas", "Sub"}},
        {"created again in another case", [&] { return create(L"TWIN.TXT"); }, {{L"twin.txt", true}},
         {"Main.pas", "Sub", "TWIN.TXT"}},
        {"folder removed", [&] { return RemoveDirectoryW((dir + L"\\sub").c_str()) != 0; }, {{L"Sub", false}},
         {"Main.pas", "TWIN.TXT"}},
    };
    for (const Step& step : steps) {
        ASSERT_TRUE(step.change()) << step.what;
        for (const auto& [name, exists] : step.lookups)
            EXPECT_EQ(GetFileAttributesW((dir + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES, exists)
                << step.what;
        EXPECT_EQ(Entries(root + "/own"), step.after) << step.what;
    }
}

TEST_F(PathCase, ReadOnlyFilesReportTheAttribute)
{
    std::string file = root + "/ro.txt";
    std::system(("touch '" + file + "' && chmod 444 '" + file + "'").c_str());
    DWORD attributes = GetFileAttributesW((wroot + L"\\RO.TXT").c_str());
    EXPECT_EQ(attributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    chmod(file.c_str(), 0644);
    EXPECT_EQ(GetFileAttributesW((wroot + L"\\ro.txt").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
}

TEST(FullPathName, FoldsDotsAgainstTheCurrentFolder)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string base = cwd;
    std::wstring expected = std::wstring(base.begin(), base.end()) + L"/a/c.txt";
    wchar_t buf[4096];
    LPWSTR filePart = nullptr;
    DWORD n = GetFullPathNameW(L"a\\b\\..\\.\\c.txt", 4096, buf, &filePart);
    EXPECT_EQ(n, expected.size());
    EXPECT_EQ(std::wstring(buf), expected);
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, L"c.txt");
    EXPECT_EQ(GetFullPathNameW(L"/x/../y", 2, buf, nullptr), 3u) << "size needed, with the terminator";
}

TEST_F(PathCase, MoveChangesTheCaseOfAName)
{
    std::system(("touch '" + root + "/name.txt'").c_str());
    ASSERT_TRUE(MoveFileExW((wroot + L"\\name.txt").c_str(), (wroot + L"\\Name.TXT").c_str(), 0));
    EXPECT_EQ(Entries(root), std::set<std::string>{"Name.TXT"});
}

}  // namespace
