// What keeps one run from harming the user or another run: volatile keys and predefined
// key overrides that never reach the registry file, file replacement that keeps the old
// file's permissions and links, and locks between processes.
#include "vxplat/Files.h"
#include "vxplat/Registry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class Isolation : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexlo-isolation-" + std::to_string(getpid()) + "-" +
              std::to_string(++counter);
        mkdir(dir.c_str(), 0700);
        registry = dir + "/registry.reg";
        setenv("VEXLO_REGISTRY", registry.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("VEXLO_REGISTRY");
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string dir, registry;
    static inline int counter = 0;
};

std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    wchar_t buffer[256] = {};
    DWORD size = sizeof buffer;
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return L"<no key>";
    LSTATUS rc = RegQueryValueExW(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS ? std::wstring(buffer) : L"<no value>";
}

void SetString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

TEST_F(Isolation, OverriddenUserKeyReadsAVolatileCopyAndNeverWritesTheFile)
{
    const wchar_t* map = L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map";
    HKEY user = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, map, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user, nullptr));
    SetString(user, L"SRC", L"/user");
    RegCloseKey(user);
    const std::string before = Contents(registry);

    HKEY overlay = nullptr, copy = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Run overlay", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &overlay, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(overlay, map, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &copy, nullptr));
    SetString(copy, L"SRC", L"/run");
    RegCloseKey(copy);
    EXPECT_EQ(L"/run", ReadString(overlay, map, L"SRC"));
    EXPECT_EQ(before, Contents(registry));

    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, overlay));
    EXPECT_EQ(L"/run", ReadString(HKEY_CURRENT_USER, map, L"SRC"));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, nullptr));
    EXPECT_EQ(L"/user", ReadString(HKEY_CURRENT_USER, map, L"SRC"));

    // Volatile keys are found by name, and removed without a trace in the file.
    EXPECT_EQ(L"/run", ReadString(HKEY_CURRENT_USER, (std::wstring(L"Software\\Run overlay\\") + map).c_str(), L"SRC"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(overlay, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(overlay, L""));
    RegCloseKey(overlay);
    EXPECT_EQ(L"<no key>", ReadString(HKEY_CURRENT_USER, L"Software\\Run overlay", L""));
    EXPECT_EQ(before, Contents(registry));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOverridePredefKey(overlay, nullptr));
}

TEST_F(Isolation, ReplacedFilesKeepPermissionsAndLinks)
{
    struct Case {
        const char* name;
        mode_t mode;
        bool link;
    };
    const Case cases[] = {{"plain", 0640, false}, {"executable", 0750, false}, {"linked", 0604, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string target = dir + "/" + c.name + ".target";
        std::string named = c.link ? dir + "/" + c.name + ".link" : target;
        std::ofstream(target) << "old";
        chmod(target.c_str(), c.mode);
        if (c.link)
            ASSERT_EQ(0, symlink(target.c_str(), named.c_str()));
        std::string fresh = dir + "/" + c.name + ".new";
        std::ofstream(fresh) << "new";
        chmod(fresh.c_str(), 0600);

        ASSERT_TRUE(ReplaceFileW(Wide(named).c_str(), Wide(fresh).c_str(), nullptr, 0, nullptr, nullptr));
        struct stat st, lst;
        ASSERT_EQ(0, stat(target.c_str(), &st));
        EXPECT_EQ(c.mode, st.st_mode & 07777);
        EXPECT_EQ("new", Contents(named));
        ASSERT_EQ(0, lstat(named.c_str(), &lst));
        EXPECT_EQ(c.link, S_ISLNK(lst.st_mode));
        EXPECT_NE(0, access(fresh.c_str(), F_OK));
    }
    // Nothing to replace: the caller moves the file instead.
    std::string fresh = dir + "/lonely.new";
    std::ofstream(fresh) << "new";
    EXPECT_FALSE(ReplaceFileW(Wide(dir + "/none").c_str(), Wide(fresh).c_str(), nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST_F(Isolation, AnExclusiveFileLockKeepsOtherProcessesOut)
{
    std::wstring path = Wide(dir + "/lock");
    std::ofstream(dir + "/lock") << "x";
    auto open = [&] {
        return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE mine = open();
    ASSERT_NE(INVALID_HANDLE_VALUE, mine);
    OVERLAPPED where = {};
    ASSERT_TRUE(LockFileEx(mine, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where));
    // 0: the other process was kept out; 1: it got the lock; 2: it could not try.
    auto other = [&] {
        pid_t child = fork();
        if (child == 0) {
            HANDLE theirs = open();
            OVERLAPPED at = {};
            _exit(theirs == INVALID_HANDLE_VALUE ? 2
                  : LockFileEx(theirs, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) ? 1
                                                                                                            : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(0, other());
    ASSERT_TRUE(UnlockFileEx(mine, 0, 1, 0, &where));
    EXPECT_EQ(1, other());
    CloseHandle(mine);
}

} // namespace
