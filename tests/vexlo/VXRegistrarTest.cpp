// Registry scripts: syntax, values and the removal rules of register and unregister.
#include "VXRegistrar.h"

#include "VexloTestRegistry.h"

#include <gtest/gtest.h>

namespace
{
    class RegistrarTest : public ::testing::Test
    {
    protected:
        ScopedTestRegistry m_Registry;
        CVXRegistrar m_Registrar;
    };

    DWORD ReadNumber(const std::wstring& path, const wchar_t* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return 0xDEADBEEF;
        DWORD value = 0, type = 0, size = sizeof value;
        LSTATUS st = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
        RegCloseKey(key);
        return st == ERROR_SUCCESS && type == REG_DWORD ? value : 0xDEADBEEF;
    }
}

TEST_F(RegistrarTest, WritesKeysAndValuesOfEveryKind)
{
    m_Registrar.AddReplacement(L"MODULE", L"C:\\Vexlo\\Vexlo.dll");
    const wchar_t* script = L"HKEY_CURRENT_USER\n"
                            L"{\n"
                            L"  'Soft ware' = s 'It''s here'\n"
                            L"  {\n"
                            L"    val Path = s '%MODULE%'\n"
                            L"    val Percent = s '100%%'\n"
                            L"    val Count = d '42'\n"
                            L"    val Mask = d '0x1F'\n"
                            L"    val Bytes = b '0A0b'\n"
                            L"    Sub\n"
                            L"    {\n"
                            L"      Deeper = s 'x' { }\n"
                            L"    }\n"
                            L"  }\n"
                            L"}\n";
    ASSERT_EQ(S_OK, m_Registrar.RegisterScript(script));
    EXPECT_EQ(L"It's here", ReadText(HKEY_CURRENT_USER, L"Soft ware").value_or(L"?"));
    EXPECT_EQ(L"C:\\Vexlo\\Vexlo.dll", ReadText(HKEY_CURRENT_USER, L"Soft ware", L"Path").value_or(L"?"));
    EXPECT_EQ(L"100%", ReadText(HKEY_CURRENT_USER, L"Soft ware", L"Percent").value_or(L"?"));
    EXPECT_EQ(42u, ReadNumber(L"Soft ware", L"Count"));
    EXPECT_EQ(31u, ReadNumber(L"Soft ware", L"Mask"));
    EXPECT_EQ(L"x", ReadText(HKEY_CURRENT_USER, L"Soft ware\\Sub\\Deeper").value_or(L"?"));

    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Soft ware", 0, KEY_READ, &key));
    BYTE bytes[4] = {};
    DWORD type = 0, size = sizeof bytes;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Bytes", nullptr, &type, bytes, &size));
    DWORD textSize = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Percent", nullptr, nullptr, nullptr, &textSize));
    RegCloseKey(key);
    EXPECT_EQ(5 * sizeof(wchar_t), textSize) << "text values keep their terminator";
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(2u, size);
    EXPECT_EQ(0x0A, bytes[0]);
    EXPECT_EQ(0x0B, bytes[1]);
}

TEST_F(RegistrarTest, ScriptThatDoesNotParseChangesNothing)
{
    const wchar_t* scripts[] = {
        L"HKCU { A = s 'x' { B = s 'y' }",         // missing brace
        L"HKCU { A = s 'unterminated }",            // open quote
        L"HKCU { A = q 'x' }",                      // unknown value type
        L"HKCU { A = d 'twelve' }",                 // not a number
        L"HKCU { A = b 'ABC' }",                    // odd hex digits
        L"HKCU { A = s '%UNKNOWN%' }",              // no such replacement
        L"HKXX { A = s 'x' }",                      // unknown root
        L"HKCU { Fine = s 'x' } HKCU { val = s }",  // a later error stops the earlier part too
    };
    for (const wchar_t* script : scripts)
    {
        EXPECT_EQ(DISP_E_EXCEPTION, m_Registrar.RegisterScript(script)) << script;
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"A")) << script;
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Fine")) << script;
    }
    EXPECT_EQ(E_POINTER, m_Registrar.RegisterScript(nullptr));
}

TEST_F(RegistrarTest, ForceRemoveRewritesTheKeyAndDeleteRemovesIt)
{
    WriteText(HKEY_CURRENT_USER, L"Classes\\Thing\\Old", nullptr, L"stale");
    WriteText(HKEY_CURRENT_USER, L"Classes\\Gone\\Child", nullptr, L"x");
    ASSERT_EQ(S_OK, m_Registrar.RegisterScript(L"HKCU { NoRemove Classes { ForceRemove Thing = s 'new' "
                                               L"{ Fresh = s 'y' } Delete Gone } }"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Classes\\Thing\\Old"));
    EXPECT_EQ(L"new", ReadText(HKEY_CURRENT_USER, L"Classes\\Thing").value_or(L"?"));
    EXPECT_EQ(L"y", ReadText(HKEY_CURRENT_USER, L"Classes\\Thing\\Fresh").value_or(L"?"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Classes\\Gone"));
}

TEST_F(RegistrarTest, UnregisterRemovesOnlyWhatTheRulesAllow)
{
    const wchar_t* script = L"HKCU\n"
                            L"{\n"
                            L"  Plain = s 'mine' { Child = s 'c' val Named = s 'n' }\n"
                            L"  Shared = s 'mine' { Child = s 'c' }\n"
                            L"  Valued = s 'mine' { val Named = s 'n' }\n"
                            L"  Bare { val Named = s 'n' }\n"
                            L"  NoRemove Root { ForceRemove Forced { Inner = s 'i' } }\n"
                            L"}\n";
    ASSERT_EQ(S_OK, m_Registrar.RegisterScript(script));
    // Content of others.
    WriteText(HKEY_CURRENT_USER, L"Shared\\Foreign", nullptr, L"theirs");
    WriteText(HKEY_CURRENT_USER, L"Valued", L"Foreign", L"theirs");
    WriteText(HKEY_CURRENT_USER, L"Bare", L"Foreign", L"theirs");
    WriteText(HKEY_CURRENT_USER, L"Root\\Forced\\Added", nullptr, L"later");

    ASSERT_EQ(S_OK, m_Registrar.UnregisterScript(script));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Plain")) << "its own entries gone, nothing else left";
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Shared")) << "still has a subkey of others";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Shared\\Child"));
    EXPECT_EQ(L"theirs", ReadText(HKEY_CURRENT_USER, L"Shared\\Foreign").value_or(L"?"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Valued")) << "still has a named value of others";
    EXPECT_FALSE(ReadText(HKEY_CURRENT_USER, L"Valued", L"Named").has_value()) << "the script's own value is gone";
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Bare")) << "its only value is one of others";
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Root")) << "NoRemove keys stay";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Root\\Forced")) << "ForceRemove takes all subkeys along";

    // Unregistering again finds nothing to do and succeeds.
    EXPECT_EQ(S_OK, m_Registrar.UnregisterScript(script));
}
