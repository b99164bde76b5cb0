#include "AddinSystemCalls.h"

#include "Console.h"
#include "run/RunFiles.h"

#include "LmAPIHook.h"

#include "vxplat/CodePage.h"
#include "vxplat/User.h"

#include <cstring>
#include <set>
#include <vector>

namespace VexloCli {

using namespace LmLib;
using namespace LmLib::Hook;

namespace {

UINT g_codePage = 0;          // 0: the system's
bool g_platformAnswers = false; // the platform layer converts in it itself (Linux)

UINT Page(UINT codePage)
{
    return (codePage == CP_ACP || codePage == CP_THREAD_ACP) && g_codePage ? g_codePage : codePage;
}

// The replacements, reached only from the add-in module's import table.

int WINAPI AnswerMessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type)
{
    ErrLine(L"[" + std::wstring(caption ? caption : L"Error") + L"] " + std::wstring(text ? text : L""));
    return DefaultButton(type);
}

std::wstring FromAddinAnsi(LPCSTR text)
{
    if (!text)
        return std::wstring();
    const int n = MultiByteToWideChar(Page(CP_ACP), 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0)
        MultiByteToWideChar(Page(CP_ACP), 0, text, -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

int WINAPI AnswerMessageBoxIndirectA(const MSGBOXPARAMSA* params)
{
    if (!params)
        return 0;
    const std::wstring text = FromAddinAnsi(params->lpszText), caption = FromAddinAnsi(params->lpszCaption);
    return AnswerMessageBoxW(nullptr, text.c_str(), params->lpszCaption ? caption.c_str() : nullptr, params->dwStyle);
}

int WINAPI AddinMultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide, int room)
{
    const UINT page = Page(codePage);
    if (page == CP_UTF8)
        flags &= MB_ERR_INVALID_CHARS; // the only flag UTF-8 takes
    return MultiByteToWideChar(page, flags, text, length, wide, room);
}

int WINAPI AddinWideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int length, LPSTR text, int room,
                                    LPCSTR defaultChar, LPBOOL usedDefault)
{
    const UINT page = Page(codePage);
    if (page == CP_UTF8) { // UTF-8 takes neither a default character nor most flags
        flags &= WC_ERR_INVALID_CHARS;
        if (usedDefault)
            *usedDefault = FALSE;
        defaultChar = nullptr, usedDefault = nullptr;
    }
    return WideCharToMultiByte(page, flags, wide, length, text, room, defaultChar, usedDefault);
}

UINT WINAPI AddinGetACP() { return Page(CP_ACP) == CP_ACP ? GetACP() : Page(CP_ACP); }

BOOL WINAPI AddinIsDBCSLeadByte(BYTE byte) { return IsDBCSLeadByteEx(AddinGetACP(), byte); }

BOOL WINAPI AddinIsDBCSLeadByteEx(UINT codePage, BYTE byte) { return IsDBCSLeadByteEx(Page(codePage), byte); }

// The case of ASCII letters in a code page that is not the system's: the letters of a
// double-byte character, and UTF-8 sequences, are left alone.
void MapBytes(LPSTR text, DWORD length, bool upper)
{
    const UINT page = AddinGetACP();
    for (DWORD i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x80) {
            i += page != CP_UTF8 && IsDBCSLeadByteEx(page, b) && i + 1 < length;
            continue;
        }
        if (upper && b >= 'a' && b <= 'z')
            text[i] = static_cast<char>(b - 0x20);
        else if (!upper && b >= 'A' && b <= 'Z')
            text[i] = static_cast<char>(b + 0x20);
    }
}

bool SystemPage() { return !g_codePage || g_codePage == GetACP(); }

LPSTR MapString(LPSTR text, bool upper)
{
    if (SystemPage())
        return upper ? CharUpperA(text) : CharLowerA(text);
    if (!text)
        return text;
    if ((reinterpret_cast<ULONG_PTR>(text) >> 16) == 0) { // one character in the low word
        char c = static_cast<char>(reinterpret_cast<ULONG_PTR>(text) & 0xFF);
        MapBytes(&c, 1, upper);
        return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(c)));
    }
    MapBytes(text, static_cast<DWORD>(std::strlen(text)), upper);
    return text;
}

LPSTR WINAPI AddinCharUpperA(LPSTR text) { return MapString(text, true); }
LPSTR WINAPI AddinCharLowerA(LPSTR text) { return MapString(text, false); }

DWORD WINAPI AddinCharUpperBuffA(LPSTR text, DWORD length)
{
    if (SystemPage())
        return CharUpperBuffA(text, length);
    MapBytes(text, length, true);
    return length;
}

DWORD WINAPI AddinCharLowerBuffA(LPSTR text, DWORD length)
{
    if (SystemPage())
        return CharLowerBuffA(text, length);
    MapBytes(text, length, false);
    return length;
}

struct Answer {
    const char* module;
    const char* function;
    void* replacement;
    bool conversion; // needed for a code page other than the system's
};

const Answer kAnswers[] = {
    {"user32", "MessageBoxW", reinterpret_cast<void*>(&AnswerMessageBoxW), false},
    {"user32", "MessageBoxIndirectA", reinterpret_cast<void*>(&AnswerMessageBoxIndirectA), false},
    {"kernel32", "MultiByteToWideChar", reinterpret_cast<void*>(&AddinMultiByteToWideChar), true},
    {"kernel32", "WideCharToMultiByte", reinterpret_cast<void*>(&AddinWideCharToMultiByte), true},
    {"kernel32", "GetACP", reinterpret_cast<void*>(&AddinGetACP), true},
    {"kernel32", "IsDBCSLeadByte", reinterpret_cast<void*>(&AddinIsDBCSLeadByte), true},
    {"kernel32", "IsDBCSLeadByteEx", reinterpret_cast<void*>(&AddinIsDBCSLeadByteEx), true},
    {"user32", "CharUpperA", reinterpret_cast<void*>(&AddinCharUpperA), true},
    {"user32", "CharLowerA", reinterpret_cast<void*>(&AddinCharLowerA), true},
    {"user32", "CharUpperBuffA", reinterpret_cast<void*>(&AddinCharUpperBuffA), true},
    {"user32", "CharLowerBuffA", reinterpret_cast<void*>(&AddinCharLowerBuffA), true},
};

// Kept to the end of the process: removing them at exit could write into a module
// that is gone.
std::vector<CLmPtr<CLmAPIHook>>& Hooks()
{
    static auto* hooks = new std::vector<CLmPtr<CLmAPIHook>>;
    return *hooks;
}

std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

} // namespace

void SetAddinCodePage(unsigned codePage)
{
    g_platformAnswers = codePage && VxpSetAnsiCodePage(codePage);
    g_codePage = codePage;
}

void AnswerSystemCalls(HMODULE module, const std::wstring& modulePath, const HostTrace& trace)
{
    static std::set<HMODULE> answered;
    if (!answered.insert(module).second)
        return;
    std::wstring failed;
    for (const Answer& answer : kAnswers) {
        HMODULE system = GetModuleHandleA(answer.module);
        if (!system || !GetProcAddress(system, answer.function))
            continue; // no such function here: the module cannot import it
        CLmPtr<CLmAPIHook> hook = LmCreateObject<CLmAPIHook>(nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr);
        LmHookDescriptor descriptor = {};
        descriptor.Method = LmHookImport;
        descriptor.Flags = LmHookModuleByName | LmHookFunctionByName;
        descriptor.ModuleName = answer.module;
        descriptor.FunctionName = answer.function;
        descriptor.TargetModule = module;
        descriptor.NewFunction = answer.replacement;
        SetLastError(0);
        if (hook && hook->HookDescriptor(descriptor)) {
            trace(L"the add-in's " + Wide(answer.function) + L" is answered by the host");
            Hooks().push_back(hook);
            continue;
        }
        const DWORD error = GetLastError();
        // Not a PE image: the platform layer is the module's system and answers itself.
        // Not imported: the module never calls it.
        if (error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION)
            continue;
        if (answer.conversion)
            failed += (failed.empty() ? L"" : L", ") + Wide(answer.function);
        else
            Warn(L"the add-in's " + Wide(answer.function) + L" cannot be answered by vexlo (" + ErrorText(error) +
                 L"): its message boxes open as windows");
    }
    if (!failed.empty() && !g_platformAnswers && g_codePage && g_codePage != GetACP())
        throw CliError(ExitAddinLoad, L"the add-in " + modulePath + L" would write its text in the system's ANSI code page " +
                                          std::to_wstring(GetACP()) + L", not in code page " + std::to_wstring(g_codePage) +
                                          L" of this run: its " + failed +
                                          L" cannot be redirected here. Run where the ANSI code page is " +
                                          std::to_wstring(g_codePage) + L", or give --codepage " +
                                          std::to_wstring(GetACP()) + L".");
}

} // namespace VexloCli
