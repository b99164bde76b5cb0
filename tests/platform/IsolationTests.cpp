// What keeps one run from touching the user's registry: volatile keys and predefined key
// overrides that never reach the registry file. (Replacing files is covered through vexlo
// in tests/cli/RobustnessTests.cpp.)
#include "vxplat/Registry.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Contents(const std::string& path)
{
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

std::wstring Get(HKEY root, const std::wstring& key)
{
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer;
    HKEY k = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return L"<no key>";
    LSTATUS rc = RegQueryValueExW(k, L"SRC", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS ? buffer : L"<no value>";
}

HKEY Put(HKEY root, const std::wstring& key, DWORD options, const std::wstring& value)
{
    HKEY k = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, key.c_str(), 0, nullptr, options, KEY_ALL_ACCESS, nullptr, &k, nullptr));
    if (!value.empty())
        RegSetValueExW(k, L"SRC", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    return k;
}

TEST(Isolation, OverriddenUserKeyReadsAVolatileCopyAndNeverWritesTheFile)
{
    const std::string file = "/tmp/vexlo-isolation-" + std::to_string(getpid()) + ".reg";
    setenv("VEXLO_REGISTRY", file.c_str(), 1);
    const std::wstring map = L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map";
    RegCloseKey(Put(HKEY_CURRENT_USER, map, 0, L"/user"));
    const std::string before = Contents(file);
    ASSERT_NE(std::string::npos, before.find("/user"));

    HKEY overlay = Put(HKEY_CURRENT_USER, L"Software\\Run overlay", REG_OPTION_VOLATILE, L"");
    RegCloseKey(Put(overlay, map, REG_OPTION_VOLATILE, L"/run"));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, overlay));
    EXPECT_EQ(L"/run", Get(HKEY_CURRENT_USER, map));
    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, nullptr));
    EXPECT_EQ(L"/user", Get(HKEY_CURRENT_USER, map));
    // Found by name like any key, and gone without a trace in the file.
    EXPECT_EQ(L"/run", Get(HKEY_CURRENT_USER, L"Software\\Run overlay\\" + map));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(overlay, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(overlay, L""));
    RegCloseKey(overlay);
    EXPECT_EQ(L"<no key>", Get(HKEY_CURRENT_USER, L"Software\\Run overlay"));
    EXPECT_EQ(before, Contents(file));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOverridePredefKey(overlay, nullptr));
    unlink(file.c_str());
    unlink((file + ".lock").c_str());
    unsetenv("VEXLO_REGISTRY");
}

} // namespace
