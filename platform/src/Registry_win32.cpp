#include "vxplat/Registry.h"

#include <string>

LSTATUS WINAPI VxpRegDeleteTreeW(HKEY parent, LPCWSTR subKey)
{
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(parent, subKey ? subKey : L"", 0, KEY_READ | KEY_WRITE, &key);
    if (status != ERROR_SUCCESS) return status;
    // Sub-keys first, always the first one: the list shrinks as they go.
    wchar_t name[256];
    for (;;) {
        DWORD length = 256;
        status = RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) status = VxpRegDeleteTreeW(key, name);  // the key goes with it
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            return status;
        }
    }
    // Then the values (they matter when the key itself stays: no sub-key named).
    for (;;) {
        DWORD length = 16384;
        std::wstring value(length, L'\0');
        status = RegEnumValueW(key, 0, value.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) status = RegDeleteValueW(key, value.c_str());
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            return status;
        }
    }
    RegCloseKey(key);
    if (subKey && *subKey) return RegDeleteKeyW(parent, subKey);
    return ERROR_SUCCESS;
}
