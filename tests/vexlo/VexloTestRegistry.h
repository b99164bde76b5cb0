// Registry helpers of the server tests: each test works on a registry file of its own.
#pragma once

#include <vxplat/Registry.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <unistd.h>

// Points VEXLO_REGISTRY at a fresh file for the running test and removes it after.
class ScopedTestRegistry
{
public:
    ScopedTestRegistry()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        m_Path = "/tmp/vexlo-" + name + "-" + std::to_string(getpid()) + ".reg";
        std::remove(m_Path.c_str());
        setenv("VEXLO_REGISTRY", m_Path.c_str(), 1);
    }
    ~ScopedTestRegistry()
    {
        std::remove(m_Path.c_str());
        std::remove((m_Path + ".lock").c_str());
        unsetenv("VEXLO_REGISTRY");
    }

private:
    std::string m_Path;
};

inline bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value (name null: the default value); nothing when the key or value is missing.
inline std::optional<std::wstring> ReadText(HKEY root, const std::wstring& path, const wchar_t* name = nullptr)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD size = sizeof buffer - sizeof(wchar_t);
    LSTATUS st = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (st != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::wstring(buffer);
}

inline void WriteText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(key);
}
