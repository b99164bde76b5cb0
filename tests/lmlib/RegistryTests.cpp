// Registry keys, their sub-keys and values, read through the library's wrappers.
#include "LmGCPtr.h"
#include "LmRegKey.h"
#include "LmRegKeys.h"
#include "LmRegStringValue.h"
#include "LmRegValues.h"
#include "LmTestSupport.h"

#include <vxplat/Registry.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>

using namespace LmTest;
using namespace LmLib::Registry;
using LmLib::CLmGCPtrBase;
namespace fs = std::filesystem;

namespace
{
    const wchar_t* const TestRoot = L"Software\\Vexlo Tests";

    class RegistryTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            // A registry of the test's own: never the user's.
            m_File = fs::temp_directory_path() /
                     ("lmlib-registry-" +
                      std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".reg");
            setenv("VEXLO_REGISTRY", m_File.c_str(), 1);
            m_Registered = CLmGCPtrBase::GetRegisteredCount();
        }
        void TearDown() override
        {
            // Keys and their collections hold each other: the collector frees them.
            CLmGCPtrBase::Collect();
            EXPECT_EQ(CLmGCPtrBase::GetRegisteredCount(), m_Registered);
            std::error_code ignored;
            fs::remove(m_File, ignored);
        }

        HKEY CreateKey(const std::wstring& path)
        {
            HKEY key = nullptr;
            EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                      nullptr),
                      ERROR_SUCCESS)
                << "creating " << std::string(path.begin(), path.end());
            return key;
        }

        void SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, DWORD size)
        {
            EXPECT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        }

        fs::path m_File;
        size_t m_Registered = 0;
    };

    std::set<std::wstring> ValueNames(const CLmPtr<CLmRegKey>& key)
    {
        std::set<std::wstring> names;
        CLmPtr<CLmRegValues> values = key->GetValues();
        for (int i = 0; i < values->GetCount(); ++i)
        {
            CLmPtr<CLmRegStringValue> value = values->Item(i);
            EXPECT_TRUE(value) << "value " << i;
            if (value)
                names.insert(Text(value->GetName()));
        }
        return names;
    }
}

TEST_F(RegistryTest, ValuesOfEveryHandledTypeAreListed)
{
    HKEY key = CreateKey(std::wstring(TestRoot) + L"\\Values");
    const wchar_t text[] = L"C:\\Models";
    DWORD number = 42;
    BYTE bytes[] = {1, 2, 3};
    const wchar_t multi[] = L"a\0b\0";
    struct Case
    {
        const wchar_t* name;
        DWORD type;
        const void* data;
        DWORD size;
    };
    const Case cases[] = {
        {L"None", REG_NONE, bytes, sizeof bytes},
        {L"$ROSE", REG_SZ, text, sizeof text},
        {L"Expand", REG_EXPAND_SZ, text, sizeof text},
        {L"Binary", REG_BINARY, bytes, sizeof bytes},
        {L"Number", REG_DWORD, &number, sizeof number},
        {L"BigEndian", REG_DWORD_BIG_ENDIAN, &number, sizeof number},
        {L"Link", REG_LINK, text, sizeof text},
        {L"Multi", REG_MULTI_SZ, multi, sizeof multi},
        {L"Resources", REG_RESOURCE_LIST, bytes, sizeof bytes},
    };
    std::set<std::wstring> expected;
    for (const Case& c : cases)
    {
        SetValue(key, c.name, c.type, c.data, c.size);
        expected.insert(c.name);
    }
    RegCloseKey(key);

    CLmPtr<CLmRegKey> opened = CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, std::wstring(TestRoot).append(L"\\Values").c_str());
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->GetValues()->GetCount(), 9);
    EXPECT_EQ(ValueNames(opened), expected);
    EXPECT_EQ(opened->GetSubKeys()->GetCount(), 0);

    // The add-in reads the values straight through the handle.
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(opened->GetHandle(), L"$ROSE", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer), text);
}

TEST_F(RegistryTest, UnexpectedValueTypeRaises)
{
    HKEY key = CreateKey(std::wstring(TestRoot) + L"\\Odd");
    unsigned long long wide = 7;
    SetValue(key, L"Quad", 11, &wide, sizeof wide);
    RegCloseKey(key);

    CLmPtr<CLmRegKey> opened = CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, std::wstring(TestRoot).append(L"\\Odd").c_str());
    ASSERT_TRUE(opened);
    ASSERT_EQ(opened->GetValues()->GetCount(), 1);
    CLmException error = Catch([&] { opened->GetValues()->Item(0); });
    EXPECT_EQ(Text(error.GetMessage()), L"Unexpected registry value type [11] . Error - [FFFFFF9C]");
    EXPECT_EQ(error.m_Code, -100);
}

TEST_F(RegistryTest, SubKeysAreEnumeratedAndOpened)
{
    for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"})
        RegCloseKey(CreateKey(std::wstring(TestRoot) + L"\\Tree\\" + name));
    HKEY deep = CreateKey(std::wstring(TestRoot) + L"\\Tree\\Beta\\Inner");
    DWORD number = 1;
    SetValue(deep, L"Flag", REG_DWORD, &number, sizeof number);
    RegCloseKey(deep);

    CLmPtr<CLmRegKey> tree = CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, std::wstring(TestRoot).append(L"\\Tree").c_str());
    ASSERT_TRUE(tree);
    CLmPtr<CLmRegKeys> subKeys = tree->GetSubKeys();
    ASSERT_EQ(subKeys->GetCount(), 3);
    std::set<std::wstring> names;
    CLmPtr<CLmRegKey> beta;
    for (int i = 0; i < subKeys->GetCount(); ++i)
    {
        CLmPtr<CLmRegKey> sub = subKeys->Item(i);
        ASSERT_TRUE(sub);
        names.insert(Text(sub->GetName()));
        if (sub->GetName() == L"Beta")
            beta = sub;
    }
    EXPECT_EQ(names, (std::set<std::wstring>{L"Alpha", L"Beta", L"Gamma"}));
    ASSERT_TRUE(beta);
    ASSERT_EQ(beta->GetSubKeys()->GetCount(), 1);
    CLmPtr<CLmRegKey> inner = beta->GetSubKeys()->Item(0);
    ASSERT_TRUE(inner);
    EXPECT_EQ(ValueNames(inner), (std::set<std::wstring>{L"Flag"}));
    EXPECT_TRUE(subKeys->Item(3).IsNull()) << "past the last sub-key";
}

TEST_F(RegistryTest, MissingKeyYieldsNull)
{
    RegCloseKey(CreateKey(TestRoot));
    CLmPtr<CLmRegKey> key;
    EXPECT_NO_THROW(key = CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, L"Software\\Vexlo Tests\\Nowhere"));
    EXPECT_TRUE(key.IsNull());
}

TEST_F(RegistryTest, RootNamesInAnyCaseOpenTheRoot)
{
    RegCloseKey(CreateKey(std::wstring(TestRoot) + L"\\Marker"));
    for (const wchar_t* name : {L"HKEY_CURRENT_USER", L"hkey_current_user", L"Hkey_Current_User"})
    {
        CLmPtr<CLmRegKey> root = CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, name);
        ASSERT_TRUE(root) << "root name";
        EXPECT_EQ(root->GetHandle(), HKEY_CURRENT_USER);
        CLmPtr<CLmRegKeys> subKeys = root->GetSubKeys();
        bool software = false;
        for (int i = 0; i < subKeys->GetCount(); ++i)
            software = software || CLmPtr<CLmRegKey>(subKeys->Item(i))->GetName() == L"Software";
        EXPECT_TRUE(software);
    }
}

TEST_F(RegistryTest, ValueNamesOfIncreasingLengthAreAllListed)
{
    HKEY key = CreateKey(std::wstring(TestRoot) + L"\\Names");
    std::set<std::wstring> expected;
    for (size_t length = 1; length <= 250; length += 7)
    {
        std::wstring name(length, L'n');
        DWORD number = static_cast<DWORD>(length);
        SetValue(key, name.c_str(), REG_DWORD, &number, sizeof number);
        expected.insert(name);
    }
    RegCloseKey(key);
    CLmPtr<CLmRegKey> opened = CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, std::wstring(TestRoot).append(L"\\Names").c_str());
    ASSERT_TRUE(opened);
    EXPECT_EQ(ValueNames(opened), expected);
}
