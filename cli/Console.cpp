#include "Console.h"

#include "Utf8.h"
#include "vxplat/CodePage.h"
#include "vxplat/User.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace VexloCli {

CliError::CliError(int exitCode, const std::wstring& message)
    : std::runtime_error(Narrow(message)), m_exitCode(exitCode), m_message(message)
{
}

namespace {

std::wstring Decode(const char* text, UINT codePage, DWORD flags)
{
    int length = static_cast<int>(std::strlen(text));
    if (length == 0)
        return std::wstring();
    int count = MultiByteToWideChar(codePage, flags, text, length, nullptr, 0);
    if (count <= 0)
        return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(count));
    MultiByteToWideChar(codePage, flags, text, length, buffer.data(), count);
    return std::wstring(buffer.data(), buffer.size());
}

void WriteLine(std::FILE* stream, const std::wstring& line)
{
    std::string text = Narrow(line);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

int PrintMessageBox(HWND, LPCWSTR text, LPCWSTR caption, UINT style)
{
    ErrLine(L"[" + std::wstring(caption ? caption : L"") + L"] " + std::wstring(text ? text : L""));
    return DefaultButton(style);
}

} // namespace

std::wstring ArgumentText(const char* arg)
{
    if (!arg || !*arg)
        return std::wstring();
    std::wstring text = Decode(arg, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (text.empty())
        text = Decode(arg, CP_ACP, 0);
    return text;
}

std::string Narrow(const std::wstring& text)
{
    return RoseHost::ToUtf8(text, RoseHost::Utf8Repair::None);
}

void OutLine(const std::wstring& line) { WriteLine(stdout, line); }

void ErrLine(const std::wstring& line)
{
    std::fflush(stdout);
    WriteLine(stderr, line);
}

namespace {
std::function<void(const std::wstring&)> g_warningObserver;
}

void Warn(const std::wstring& message)
{
    if (g_warningObserver)
        g_warningObserver(message);
    ErrLine(L"vexlo: warning: " + message);
}

void ObserveWarnings(std::function<void(const std::wstring&)> observer) { g_warningObserver = std::move(observer); }

void TakeOverMessageBoxes() { VxpSetMessageBoxHandler(&PrintMessageBox); }

int DefaultButton(unsigned style)
{
    static const std::vector<int> kButtons[] = {
        {IDOK},                           // MB_OK
        {IDOK, IDCANCEL},                 // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},     // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},          // MB_YESNOCANCEL
        {IDYES, IDNO},                    // MB_YESNO
        {IDRETRY, IDCANCEL},              // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, // MB_CANCELTRYCONTINUE
    };
    unsigned type = style & MB_TYPEMASK;
    if (type >= sizeof(kButtons) / sizeof(kButtons[0]))
        return IDOK;
    const std::vector<int>& buttons = kButtons[type];
    size_t index = (style & MB_DEFMASK) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

int ProcessExitCode(int code, bool verdictCommand)
{
    if (code == ExitDifferences)
        return ExitHostError;
    if (verdictCommand && code == ExitHostError)
        return ExitVerdictFailure;
    return code;
}

std::wstring HexCode(long code)
{
    wchar_t buffer[16];
    std::swprintf(buffer, 16, L"0x%08lX", static_cast<unsigned long>(code) & 0xFFFFFFFFul);
    return buffer;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring Names(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (const std::wstring& n : names)
        text += (text.empty() ? L"" : L", ") + n;
    return text.empty() ? L"-" : text;
}

} // namespace VexloCli
