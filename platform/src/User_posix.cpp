// Message boxes without a screen: standard error, or whoever took them over.
#include "vxplat/User.h"

#include "PosixText.h"
#include "vxplat/CodePage.h"
#include "vxplat/Kernel.h"

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::atomic<VxpMessageBoxHandler> g_handler{nullptr};

int DefaultButton(UINT type)
{
    static const int buttons[][3] = {
        {IDOK, IDOK, IDOK},                // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},        // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},      // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},           // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},               // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},     // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE} // MB_CANCELTRYCONTINUE
    };
    UINT kind = type & MB_TYPEMASK;
    if (kind > MB_CANCELTRYCONTINUE) kind = MB_OK;
    UINT which = (type & MB_DEFMASK) >> 8;
    if (which > 2) which = 0;
    return buttons[kind][which];
}

}  // namespace

int WINAPI MessageBoxW(HWND hWnd, LPCWSTR text, LPCWSTR caption, UINT type)
{
    if (VxpMessageBoxHandler handler = g_handler.load()) return handler(hWnd, text, caption, type);
    std::string c = vxp::ToUtf8(caption ? caption : L"Error", caption ? std::wcslen(caption) : 5);
    std::string t = text ? vxp::ToUtf8(text, std::wcslen(text)) : std::string();
    std::fprintf(stderr, "[%s] %s\n", c.c_str(), t.c_str());
    std::fflush(stderr);
    return DefaultButton(type);
}

namespace {

std::wstring FromAnsi(LPCSTR text)
{
    if (!text) return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

}  // namespace

int WINAPI MessageBoxIndirectA(const MSGBOXPARAMSA* params)
{
    if (!params) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (params->hwndOwner) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::wstring text = FromAnsi(params->lpszText);
    std::wstring caption = FromAnsi(params->lpszCaption);
    return MessageBoxW(nullptr, params->lpszText ? text.c_str() : nullptr,
                       params->lpszCaption ? caption.c_str() : nullptr, params->dwStyle);
}

VxpMessageBoxHandler VxpSetMessageBoxHandler(VxpMessageBoxHandler handler) { return g_handler.exchange(handler); }
