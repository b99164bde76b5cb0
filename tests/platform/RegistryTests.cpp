#include "vxplat/Kernel.h"
#include "vxplat/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(const void* p, size_t n)
{
    const auto* b = static_cast<const BYTE*>(p);
    return std::vector<BYTE>(b, b + n);
}

std::vector<BYTE> TextBytes(const std::wstring& text)
{
    return Bytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// Works in a private key below HKEY_CURRENT_USER\Software\VexloTest, removed afterwards.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_name = L"Software\\VexloTest\\T" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++s_counter);
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, m_name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, &disposition),
                  ERROR_SUCCESS);
        EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    }
    void TearDown() override
    {
        if (key) RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_name.c_str());
        HKEY parent;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\VexloTest", 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
            DWORD subKeys = 1, values = 1;
            RegQueryInfoKeyW(parent, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr);
            RegCloseKey(parent);
            if (subKeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VexloTest");
        }
    }
    HKEY Sub(const wchar_t* name)
    {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExW(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
        return k;
    }

    HKEY key = nullptr;
    std::wstring m_name;
    static int s_counter;
};
int Registry::s_counter = 0;

struct TypedValue {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> data;
};

TEST_F(Registry, EveryValueTypeComesBackAsStored)
{
    DWORD dword = 42;
    ULONGLONG qword = 0x0123456789ABCDEFull;
    const BYTE binary[] = {0x00, 0x01, 0xFE, 0xFF};
    std::wstring multi(L"one\0two\0\0", 9);
    const TypedValue values[] = {
        {L"Text", REG_SZ, TextBytes(L"Virtual \"path\" C:\\dir")},
        {L"Expand", REG_EXPAND_SZ, TextBytes(L"%HOME%\\x")},
        {L"Multi", REG_MULTI_SZ, Bytes(multi.data(), multi.size() * sizeof(wchar_t))},
        {L"Binary", REG_BINARY, Bytes(binary, sizeof binary)},
        {L"Number", REG_DWORD, Bytes(&dword, 4)},
        {L"Big", REG_QWORD, Bytes(&qword, 8)},
        {L"Nothing", REG_NONE, {}},
        {L"", REG_SZ, TextBytes(L"the default value")},
        {L"Unicode \u00e9\u4e2d", REG_SZ, TextBytes(L"\u00e9\u4e2d")},
    };
    for (const auto& v : values)
        ASSERT_EQ(RegSetValueExW(key, v.name, 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS)
            << v.type;
    for (const auto& v : values) {
        DWORD type = 0, size = 0;
        ASSERT_EQ(RegQueryValueExW(key, v.name, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, v.type);
        EXPECT_EQ(size, v.data.size());
        std::vector<BYTE> data(size + 8, 0xCC);
        size = static_cast<DWORD>(data.size());
        ASSERT_EQ(RegQueryValueExW(key, v.name, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
        data.resize(size);
        EXPECT_EQ(data, v.data) << "type " << v.type;
    }
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size), ERROR_SUCCESS) << "default value";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

    // A buffer too small, and a key opened again from the root; roots are distinct.
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, m_name.c_str(), 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
    BYTE small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(again, L"Text", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, values[0].data.size());
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(again, L"Absent", nullptr, nullptr, small, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(again);
    HKEY other = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, m_name.c_str(), 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, NamesIgnoreCaseButKeepIt)
{
    DWORD one = 1, two = 2;
    ASSERT_EQ(RegSetValueExW(key, L"MixedName", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"MIXEDNAME", 0, REG_DWORD, reinterpret_cast<BYTE*>(&two), 4), ERROR_SUCCESS);
    DWORD got = 0, size = 4;
    ASSERT_EQ(RegQueryValueExW(key, L"mixedname", nullptr, nullptr, reinterpret_cast<BYTE*>(&got), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(got, 2u);
    wchar_t name[64];
    DWORD cch = 64;
    ASSERT_EQ(RegEnumValueW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"MixedName");
    EXPECT_EQ(cch, 9u);
    EXPECT_EQ(RegEnumValueW(key, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegDeleteValueW(key, L"Absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(key, L"MIXEDname"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExW(key, L"MixedName", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);

    // Created once; opened in any case after that.
    HKEY k = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(key, L"KeyName", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExW(key, L"KEYNAME", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(k);
    cch = 64;
    ASSERT_EQ(RegEnumKeyExW(key, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"KeyName");
}

TEST_F(Registry, EnumerationOfKeysAndValues)
{
    for (const wchar_t* n : {L"beta", L"Alpha", L"gamma"}) RegCloseKey(Sub(n));
    std::vector<std::wstring> keys;
    wchar_t name[261];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 261;
        LONG rc = RegEnumKeyExW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(rc, ERROR_SUCCESS);
        keys.push_back(name);
    }
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"Alpha", L"beta", L"gamma"}));
    EXPECT_EQ(RegEnumKeyW(key, 1, name, 261), ERROR_SUCCESS);
    EXPECT_STREQ(name, L"beta");
    EXPECT_EQ(RegEnumKeyW(key, 0, name, 3), ERROR_MORE_DATA);  // "Alpha" does not fit
    EXPECT_EQ(RegEnumKeyW(key, 3, name, 261), ERROR_NO_MORE_ITEMS);

    DWORD d = 1;
    const std::wstring longName(40, L'v');
    ASSERT_EQ(RegSetValueExW(key, longName.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4), ERROR_SUCCESS);

    DWORD subKeys = 0, values = 0, maxName = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, &maxName,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 40u);
}

TEST_F(Registry, MissingKeysAndDeletionRules)
{
    HKEY k = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExW(key, L"Absent\\Deeper", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);

    HKEY parent = Sub(L"Parent");
    RegCloseKey(Sub(L"Parent\\Child"));
    EXPECT_NE(RegDeleteKeyW(key, L"Parent"), ERROR_SUCCESS);  // it still has a sub-key
    ASSERT_EQ(RegOpenKeyExW(key, L"Parent\\Child", 0, KEY_READ, &k), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(RegDeleteKeyW(key, L"Parent\\child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(key, L"Parent\\Child"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(key, L"Parent"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(key, L"Parent", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    DWORD d = 1;
    EXPECT_NE(RegSetValueExW(parent, L"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4), ERROR_SUCCESS)
        << "the key of an open handle was deleted";
    RegCloseKey(parent);

    RegCloseKey(Sub(L"Tree\\A\\B"));
    EXPECT_EQ(RegDeleteTreeW(key, L"Tree"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(key, L"Tree", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
}

}  // namespace
