// mingw-w64 declares these compiler-support functions in comdef.h/comutil.h but
// ships no library defining them; Visual C++ has them in comsupp.lib.
#include "vxplat/Com.h"

#include <string.h>

void WINAPI _com_issue_errorex(HRESULT hr, IUnknown* punk, REFIID riid)
{
    IErrorInfo* info = nullptr;
    if (punk) {
        ISupportErrorInfo* support = nullptr;
        if (SUCCEEDED(punk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) && support) {
            if (support->InterfaceSupportsErrorInfo(riid) == S_OK && GetErrorInfo(0, &info) != S_OK) info = nullptr;
            support->Release();
        }
    }
    throw _com_error(hr, info);
}

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* pSrc)
{
    if (!pSrc) return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, pSrc, -1, nullptr, 0);
    if (n <= 0) _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
    BSTR s = SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
    if (!s) _com_issue_error(E_OUTOFMEMORY);
    MultiByteToWideChar(CP_ACP, 0, pSrc, -1, s, n);
    return s;
}

char* WINAPI ConvertBSTRToString(BSTR pSrc)
{
    if (!pSrc) return nullptr;
    int len = static_cast<int>(SysStringLen(pSrc));
    int n = WideCharToMultiByte(CP_ACP, 0, pSrc, len + 1, nullptr, 0, nullptr, nullptr);
    if (n <= 0) _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
    char* s = new char[n];
    WideCharToMultiByte(CP_ACP, 0, pSrc, len + 1, s, n, nullptr, nullptr);
    return s;
}

}  // namespace _com_util
