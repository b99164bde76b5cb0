// The registry file itself: its format, reading changes made by others, and
// refusing malformed files.
#include "vxplat/Registry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tmp = std::getenv("TMPDIR");
        static int counter = 0;
        path = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexlo-regfile-" + std::to_string(getpid()) + "-" +
               std::to_string(++counter) + ".reg";
        setenv("VEXLO_REGISTRY", path.c_str(), 1);
    }
    void TearDown() override
    {
        unlink(path.c_str());
        unlink((path + ".lock").c_str());
        unsetenv("VEXLO_REGISTRY");
    }
    std::string Contents() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const std::string& bytes) const
    {
        // A new inode and size each time, as another process's rename would give.
        std::string temp = path + ".new";
        std::ofstream(temp, std::ios::binary) << bytes;
        ASSERT_EQ(rename(temp.c_str(), path.c_str()), 0);
    }
    static HKEY Create(const wchar_t* name)
    {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        return k;
    }
    static std::wstring QueryText(HKEY root, const wchar_t* key, const wchar_t* value)
    {
        HKEY k = nullptr;
        if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return L"<no key>";
        wchar_t buf[256] = {};
        DWORD size = sizeof buf, type = 0;
        LONG rc = RegQueryValueExW(k, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
        RegCloseKey(k);
        if (rc != ERROR_SUCCESS) return L"<no value>";
        return buf;
    }

    std::string path;
};

TEST_F(RegistryFile, ChangesAreWrittenInRegExportFormat)
{
    HKEY k = Create(L"Software\\Vexlo\\Paths");
    std::wstring text = L"C:\\Models \"quoted\"";
    ASSERT_EQ(RegSetValueExW(k, L"Home", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    DWORD d = 42;
    ASSERT_EQ(RegSetValueExW(k, L"Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4), ERROR_SUCCESS);
    const BYTE bin[] = {1, 2, 0xAB};
    ASSERT_EQ(RegSetValueExW(k, L"Bin", 0, REG_BINARY, bin, 3), ERROR_SUCCESS);
    std::wstring expand = L"%A%";
    ASSERT_EQ(RegSetValueExW(k, L"Exp", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand.c_str()),
                             static_cast<DWORD>((expand.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    std::wstring multi(L"a\0b\0\0", 5);
    ASSERT_EQ(RegSetValueExW(k, L"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.data()),
                             static_cast<DWORD>(multi.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    std::wstring def = L"default";
    ASSERT_EQ(RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(def.c_str()),
                             static_cast<DWORD>((def.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegCloseKey(k);

    std::string file = Contents();
    const char* expected[] = {
        "Windows Registry Editor Version 5.00\r\n",
        "[HKEY_CURRENT_USER\\Software\\Vexlo\\Paths]\r\n",
        "\"Home\"=\"C:\\\\Models \\\"quoted\\\"\"\r\n",
        "\"Count\"=dword:0000002a\r\n",
        "\"Bin\"=hex:01,02,ab\r\n",
        "\"Exp\"=hex(2):25,00,41,00,25,00,00,00\r\n",
        "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n",
        "@=\"default\"\r\n",
    };
    for (const char* line : expected) EXPECT_NE(file.find(line), std::string::npos) << line << "\nin\n" << file;
    EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00", 0), 0u);
    EXPECT_LT(file.find("\"Home\""), file.find("\"Count\"")) << "values in the order they were set";
}

TEST_F(RegistryFile, RoundTripThroughTheFile)
{
    Write("Windows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\Visual Modeler\\Virtual Path Map]\r\n"
          "\"$ROOT\"=\"/srv/models\"\r\n"
          "\"$LONG\"=hex(2):2f,00,78,00,\\\r\n"
          "  00,00\r\n"
          "\"$TRAIL\"=hex(2):2f,00,79,00,00,00,\r\n"  // a trailing comma, as some editors leave
          "\r\n"
          "[HKEY_CLASSES_ROOT\\CLSID]\r\n");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"software\\microsoft\\visual modeler\\virtual path map", L"$root"),
              L"/srv/models");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map", L"$LONG"),
              L"/x");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map", L"$TRAIL"),
              L"/y");
    HKEY clsid = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ, &clsid), ERROR_SUCCESS);
    RegCloseKey(clsid);

    // A change rewrites the file; what was read survives it.
    HKEY k = Create(L"Software\\Other");
    RegCloseKey(k);
    std::string file = Contents();
    EXPECT_NE(file.find("\"$ROOT\"=\"/srv/models\""), std::string::npos) << file;
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Other]"), std::string::npos) << file;
    EXPECT_NE(file.find("[HKEY_CLASSES_ROOT\\CLSID]"), std::string::npos) << file;
}

TEST_F(RegistryFile, RegeditUtf16ExportIsRead)
{
    std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n"
                        L"[HKEY_CURRENT_USER\\Software\\Rational Software\\Rose]\r\n"
                        L"\"Name\"=\"Ros\u00e9 \u4e2d\"\r\n"
                        L"\"Flag\"=dword:00000001\r\n";
    std::string bytes = "\xff\xfe";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    Write(bytes);
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"Software\\Rational Software\\Rose", L"Name"), L"Ros\u00e9 \u4e2d");
}

TEST_F(RegistryFile, ChangesOfOtherProcessesAreSeen)
{
    Write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"one\"\r\n");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"Software\\A", L"v"), L"one");
    Write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"two!\"\r\n");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"Software\\A", L"v"), L"two!");
}

TEST_F(RegistryFile, ValuesAreListedInInsertionOrder)
{
    HKEY k = Create(L"Software\\Order");
    DWORD d = 0;
    for (const wchar_t* n : {L"zeta", L"Alpha", L"mu"})
        ASSERT_EQ(RegSetValueExW(k, n, 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4), ERROR_SUCCESS);
    std::vector<std::wstring> names;
    wchar_t name[64];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 64;
        if (RegEnumValueW(k, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    RegCloseKey(k);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"zeta", L"Alpha", L"mu"}));
}

struct Malformed {
    const char* text;
    int line;
};

TEST_F(RegistryFile, MalformedFileIsReportedAndLeftAlone)
{
    const Malformed cases[] = {
        {"not a registry file\r\n", 1},
        {"Windows Registry Editor Version 5.00\r\n\r\n\"v\"=\"outside\"\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=dword:xyz\r\n", 4},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_NOWHERE\\A]\r\n", 2},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"unterminated=\"x\"\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"b\"=hex:1,zz\r\n", 3},
        {"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A\r\n", 2},
    };
    for (const auto& c : cases) {
        Write(c.text);
        ::testing::internal::CaptureStderr();
        HKEY k = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"A", 0, KEY_READ, &k), ERROR_BADDB) << c.text;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_BADDB);
        DWORD d = 1;
        EXPECT_EQ(RegSetValueExW(HKEY_CURRENT_USER, L"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4),
                  ERROR_BADDB);
        std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(path), std::string::npos) << err;
        EXPECT_NE(err.find("line " + std::to_string(c.line)), std::string::npos) << err << " for " << c.text;
        EXPECT_EQ(Contents(), c.text) << "the file must not be replaced";
    }
    // Once repaired, the registry works again.
    Write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"v\"=\"ok\"\r\n");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, L"A", L"v"), L"ok");
}

TEST_F(RegistryFile, MissingFileIsAnEmptyRegistryAndIsCreatedOnWrite)
{
    std::string nested = path + ".d/sub/registry.reg";
    setenv("VEXLO_REGISTRY", nested.c_str(), 1);
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    struct stat st;
    EXPECT_NE(stat(nested.c_str(), &st), 0) << "reading creates nothing";
    k = Create(L"Software\\New");
    RegCloseKey(k);
    EXPECT_EQ(stat(nested.c_str(), &st), 0);
    unlink(nested.c_str());
    unlink((nested + ".lock").c_str());
    rmdir((path + ".d/sub").c_str());
    rmdir((path + ".d").c_str());
}

}  // namespace
