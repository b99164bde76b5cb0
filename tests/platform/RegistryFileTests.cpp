// The registry file itself: its format, reading changes made by others, refusing
// malformed files, and volatile keys that never reach it.
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
    std::wstring multi(L"a\0b\0\0", 5);
    std::vector<BYTE> longBinary(30);
    for (size_t i = 0; i < longBinary.size(); ++i) longBinary[i] = static_cast<BYTE>(i);
    struct Case {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        const char* line;  // as the file holds it
    };
    auto text = [](const std::wstring& t) {
        const BYTE* p = reinterpret_cast<const BYTE*>(t.c_str());
        return std::vector<BYTE>(p, p + (t.size() + 1) * sizeof(wchar_t));
    };
    const Case cases[] = {
        {L"Home", REG_SZ, text(L"C:\\Models \"quoted\""), "\"Home\"=\"C:\\\\Models \\\"quoted\\\"\"\r\n"},
        {L"Count", REG_DWORD, {42, 0, 0, 0}, "\"Count\"=dword:0000002a\r\n"},
        {L"Bin", REG_BINARY, {1, 2, 0xAB}, "\"Bin\"=hex:01,02,ab\r\n"},
        {L"Exp", REG_EXPAND_SZ, text(L"%A%"), "\"Exp\"=hex(2):25,00,41,00,25,00,00,00\r\n"},
        {L"Multi", REG_MULTI_SZ,
         std::vector<BYTE>(reinterpret_cast<const BYTE*>(multi.data()),
                           reinterpret_cast<const BYTE*>(multi.data() + multi.size())),
         "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"},
        // Long hex lines are wrapped as regedit wraps them.
        {L"Long", REG_BINARY, longBinary,
         "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
         "  16,17,18,19,1a,1b,1c,1d\r\n"},
        // Characters beyond the first plane as UTF-16 surrogate pairs.
        {L"Face", REG_EXPAND_SZ, text(L"\U0001F600"), "\"Face\"=hex(2):3d,d8,00,de,00,00\r\n"},
        {L"", REG_SZ, text(L"default"), "@=\"default\"\r\n"},
    };
    HKEY k = Create(L"Software\\Vexlo\\Paths");
    for (const Case& c : cases)
        ASSERT_EQ(RegSetValueExW(k, c.name, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS);
    RegCloseKey(k);

    std::string file = Contents();
    EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u) << file;
    size_t previous = file.find("[HKEY_CURRENT_USER\\Software\\Vexlo\\Paths]\r\n");
    EXPECT_NE(previous, std::string::npos) << file;
    for (const Case& c : cases) {
        size_t at = file.find(c.line);
        EXPECT_NE(at, std::string::npos) << c.line << "\nin\n" << file;
        EXPECT_GT(at, previous) << "values in the order they were set";
        previous = at;
    }
}

std::string Utf16(const std::wstring& text)
{
    std::string bytes = "\xff\xfe";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// Files written by others (regedit, editors, another run) are read as they are now.
TEST_F(RegistryFile, FilesOfOthersAreRead)
{
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string map = head + "[HKEY_CURRENT_USER\\Software\\Microsoft\\Visual Modeler\\Virtual Path Map]\r\n";
    const struct {
        std::string file;
        const wchar_t* key;
        const wchar_t* value;
        const wchar_t* expected;
    } cases[] = {
        {map + "\"$ROOT\"=\"/srv/models\"\r\n", L"software\\microsoft\\visual modeler\\virtual path map", L"$root",
         L"/srv/models"},
        {map + "\"$LONG\"=hex(2):2f,00,78,00,\\\r\n  00,00\r\n", L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map",
         L"$LONG", L"/x"},
        // A trailing comma, as some editors leave.
        {map + "\"$TRAIL\"=hex(2):2f,00,79,00,00,00,\r\n", L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map",
         L"$TRAIL", L"/y"},
        {head + "[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"two!\"\r\n", L"Software\\A", L"v", L"two!"},
        {Utf16(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Rose]\r\n"
               L"\"Name\"=\"Ros\u00e9 \u4e2d\"\r\n\"Flag\"=dword:00000001\r\n"),
         L"Software\\Rose", L"Name", L"Ros\u00e9 \u4e2d"},
    };
    for (const auto& c : cases) {
        Write(c.file);  // a new file each time, as another process's rename gives
        EXPECT_EQ(QueryText(HKEY_CURRENT_USER, c.key, c.value), c.expected) << c.file;
    }

    // A change rewrites the file; what was read survives it.
    Write(map + "\"$ROOT\"=\"/srv/models\"\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID]\r\n");
    RegCloseKey(Create(L"Software\\Other"));
    std::string file = Contents();
    for (const char* kept : {"\"$ROOT\"=\"/srv/models\"", "[HKEY_CURRENT_USER\\Software\\Other]", "[HKEY_CLASSES_ROOT\\CLSID]"})
        EXPECT_NE(file.find(kept), std::string::npos) << file;
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

// What keeps one run from touching the user's registry: a volatile key set over the user's
// key, which never reaches the registry file.
TEST_F(RegistryFile, OverriddenUserKeyReadsAVolatileCopyAndNeverWritesTheFile)
{
    const std::wstring map = L"Software\\Microsoft\\Visual Modeler\\Virtual Path Map";
    RegCloseKey(Put(HKEY_CURRENT_USER, map, 0, L"/user"));
    const std::string before = Contents();
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
    EXPECT_EQ(before, Contents());
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOverridePredefKey(overlay, nullptr));
}

}  // namespace
