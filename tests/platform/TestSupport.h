// Helpers shared by the platform tests; only public Win32 names are used so the
// same tests run against the real API on Windows.
#pragma once

#include "vxplat/CodePage.h"
#include "vxplat/Files.h"
#include "vxplat/Kernel.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace vxptest {

inline std::wstring Widen(const char* utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    return w;
}

// A fresh folder below TMPDIR (or the current folder). Everything created
// through it is removed again, newest first.
class ScratchDir {
public:
    ScratchDir()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::wstring base = tmp && *tmp ? Widen(tmp) : std::wstring(L".");
        static int counter = 0;
        m_root = base + L"\\vxptest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter);
        CreateDirectoryW(m_root.c_str(), nullptr);
    }
    ~ScratchDir()
    {
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            DWORD attributes = GetFileAttributesW(it->c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) continue;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(it->c_str());
            else
                DeleteFileW(it->c_str());
        }
        RemoveDirectoryW(m_root.c_str());
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::wstring& Root() const { return m_root; }
    // The full path of a name below the folder, remembered for removal.
    std::wstring Path(const std::wstring& relative)
    {
        std::wstring full = m_root + L"\\" + relative;
        m_items.push_back(full);
        return full;
    }

private:
    std::wstring m_root;
    std::vector<std::wstring> m_items;
};

}  // namespace vxptest
