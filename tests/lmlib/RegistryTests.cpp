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
    const std::wstring TestRoot = L"Software\\Vexlo Tests";

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

        // Creates the key below the test root with the given values (type, data).
        void CreateKey(const std::wstring& path, const std::vector<std::pair<std::wstring, DWORD>>& values = {})
        {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (TestRoot + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            const wchar_t text[] = L"C:\\Models";
            for (const auto& [name, type] : values)
                EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text), sizeof text),
                          ERROR_SUCCESS);
            RegCloseKey(key);
        }
        static CLmPtr<CLmRegKey> Open(const std::wstring& path)
        {
            return CLmRegKey::Create(nullptr, HKEY_CURRENT_USER, (TestRoot + path).c_str());
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
    // Every type the library lists, and names up to the longest a value may have.
    const std::vector<std::pair<std::wstring, DWORD>> values = {
        {L"None", REG_NONE},          {L"$ROSE", REG_SZ},          {L"Expand", REG_EXPAND_SZ},
        {L"Binary", REG_BINARY},      {L"Number", REG_DWORD},      {L"BigEndian", REG_DWORD_BIG_ENDIAN},
        {L"Link", REG_LINK},          {L"Multi", REG_MULTI_SZ},    {L"Resources", REG_RESOURCE_LIST},
        {std::wstring(100, L'n'), REG_SZ}, {std::wstring(250, L'm'), REG_SZ},
    };
    CreateKey(L"\\Values", values);
    std::set<std::wstring> expected;
    for (const auto& value : values)
        expected.insert(value.first);

    CLmPtr<CLmRegKey> opened = Open(L"\\Values");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->GetValues()->GetCount(), static_cast<int>(values.size()));
    EXPECT_EQ(ValueNames(opened), expected);
    EXPECT_EQ(opened->GetSubKeys()->GetCount(), 0);

    // The add-in reads the values straight through the handle.
    wchar_t buffer[64] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(opened->GetHandle(), L"$ROSE", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer), L"C:\\Models");
}

TEST_F(RegistryTest, UnexpectedValueTypeRaises)
{
    CreateKey(L"\\Odd", {{L"Quad", REG_QWORD}});
    CLmPtr<CLmRegKey> opened = Open(L"\\Odd");
    ASSERT_TRUE(opened);
    ASSERT_EQ(opened->GetValues()->GetCount(), 1);
    CLmException error = Catch([&] { opened->GetValues()->Item(0); });
    EXPECT_EQ(Text(error.GetMessage()), L"Unexpected registry value type [11] . Error - [FFFFFF9C]");
    EXPECT_EQ(error.m_Code, -100);
}

TEST_F(RegistryTest, SubKeysAreEnumeratedAndOpened)
{
    for (const wchar_t* name : {L"Alpha", L"Beta", L"Gamma"})
        CreateKey(std::wstring(L"\\Tree\\") + name);
    CreateKey(L"\\Tree\\Beta\\Inner", {{L"Flag", REG_SZ}});

    CLmPtr<CLmRegKey> tree = Open(L"\\Tree");
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

TEST_F(RegistryTest, RootNamesInAnyCaseOpenTheRootAndMissingKeysYieldNull)
{
    CreateKey(L"\\Marker");
    CLmPtr<CLmRegKey> missing;
    EXPECT_NO_THROW(missing = Open(L"\\Nowhere"));
    EXPECT_TRUE(missing.IsNull());
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
