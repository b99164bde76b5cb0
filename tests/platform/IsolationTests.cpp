// What keeps one run from touching the user's registry: volatile keys and predefined key
// overrides that never reach the registry file. (Replacing files is covered through vexlo
// in tests/cli/RobustnessTests.cpp.)
#include "vxplat/Registry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
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

} // namespace
