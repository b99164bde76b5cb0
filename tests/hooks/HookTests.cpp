// Hooks on system functions, tried on the real functions of the platform: the
// jump patch and its undoing, name resolution and its failures, the table patches
// (which need PE images: elsewhere they fail for want of a directory), the two Visual
// Modeler hooks and the server module that installs and removes them.
#include "LmAPIHook.h"
#include "LmException.h"
#include "VXFinalMessageHookModeler.h"
#include "VXResourceHookModeler.h"

#include <vxplat/Kernel.h>
#include <vxplat/Resource.h>
#include <vxplat/User.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

using namespace LmLib;
using namespace LmLib::Hook;

namespace
{
    using Code = std::array<BYTE, 5>;

    // What the replacements return, so that a call that reached them shows.
    constexpr int kReplaced = 4242;

    int WINAPI ReplacementMessageBox(const MSGBOXPARAMSA*)
    {
        return kReplaced;
    }

    HRSRC WINAPI ReplacementFindResource(HMODULE, LPCWSTR, LPCWSTR, WORD)
    {
        return reinterpret_cast<HRSRC>(static_cast<ULONG_PTR>(kReplaced));
    }

    void* Export(const wchar_t* module, const char* name)
    {
        return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(module), name));
    }

    Code Entry(const void* function)
    {
        Code code;
        std::memcpy(code.data(), function, code.size());
        return code;
    }

    // Where the jump at the function leads: its own target, or where a far stub
    // (jmp [rip+0] followed by the address, x86_64 only) goes on to.
    const void* JumpTarget(const void* function, bool* direct)
    {
        const BYTE* entry = static_cast<const BYTE*>(function);
        int32_t displacement;
        std::memcpy(&displacement, entry + 1, 4);
        const BYTE* target = entry + 5 + displacement;
        static const BYTE farJump[6] = {0xFF, 0x25, 0, 0, 0, 0};
        *direct = sizeof(void*) == 4 || std::memcmp(target, farJump, sizeof farJump) != 0;
        if (*direct)
            return target;
        const void* onward;
        std::memcpy(&onward, target + sizeof farJump, sizeof onward);
        return onward;
    }

    CLmPtr<CLmAPIHook> MakeHook(const wchar_t* module, const wchar_t* function, void* replacement, DWORD flags,
                                DWORD method, const wchar_t* target = nullptr)
    {
        return LmCreateObject<CLmAPIHook>(nullptr, module, function, replacement, flags, method, target);
    }

    struct Box
    {
        int result;
        bool reachedSystem;
    };

    Box ShowBox(const char* text)
    {
        // An owner that is no window: a box that reaches the system fails at once (0
        // and ERROR_INVALID_WINDOW_HANDLE on Windows, -1 under wine) instead of waiting
        // for a user; one that is swallowed returns 0 and leaves the last error alone.
        MSGBOXPARAMSA params = {};
        params.cbSize = sizeof params;
        params.hwndOwner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFE));
        params.lpszText = text;
        params.lpszCaption = "Vexlo hook test";
        SetLastError(0);
        int result = MessageBoxIndirectA(&params);
        return {result, !(result == 0 && GetLastError() == 0)};
    }

    const DWORD kNameFlags = LmHookModuleByName | LmHookFunctionByName;
}

TEST(ApiHook, JumpPatchRedirectsAndIsUndone)
{
    const struct
    {
        const wchar_t* module;
        const char* function;
        void* replacement;
    } cases[] = {
        {L"user32", "MessageBoxIndirectA", reinterpret_cast<void*>(&ReplacementMessageBox)},
        {L"kernel32", "FindResourceExW", reinterpret_cast<void*>(&ReplacementFindResource)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.function);
        void* function = Export(c.module, c.function);
        ASSERT_NE(nullptr, function);
        const Code before = Entry(function);
        std::wstring name(c.function, c.function + std::strlen(c.function));
        CLmPtr<CLmAPIHook> hook = MakeHook(c.module, name.c_str(), c.replacement, kNameFlags, LmHookJump);
        ASSERT_TRUE(hook->Install());
        EXPECT_EQ(function, hook->GetFunctionAddress());
        EXPECT_EQ(0xE9, static_cast<const BYTE*>(function)[0]);
        bool direct = false;
        EXPECT_EQ(c.replacement, JumpTarget(function, &direct));
        if (direct)
        {
            int32_t displacement;
            std::memcpy(&displacement, static_cast<const BYTE*>(function) + 1, 4);
            EXPECT_EQ(static_cast<int32_t>(reinterpret_cast<uintptr_t>(c.replacement) -
                                           (reinterpret_cast<uintptr_t>(function) + 5)),
                      displacement);
        }
        EXPECT_EQ(static_cast<CLmBaseApiHook*>(hook.GetTyped()), CLmAPIHook::FindHook(c.replacement).GetTyped());

        // Suspended, the function is itself again; resumed, the jump is back.
        const Code jump = Entry(function);
        EXPECT_TRUE(hook->Suspend());
        EXPECT_EQ(before, Entry(function));
        EXPECT_TRUE(hook->Resume());
        EXPECT_EQ(jump, Entry(function));

        EXPECT_TRUE(hook->Remove());
        EXPECT_EQ(before, Entry(function));
        EXPECT_EQ(nullptr, hook->GetFunctionAddress());
        EXPECT_EQ(nullptr, CLmAPIHook::FindHook(c.replacement).GetTyped());
        EXPECT_TRUE(hook->Remove());  // a second time: nothing left to undo
        EXPECT_EQ(before, Entry(function));
    }
}

TEST(ApiHook, CallsReachTheReplacementOnlyWhileHooked)
{
    CLmPtr<CLmAPIHook> hook = MakeHook(L"user32", L"MessageBoxIndirectA",
                                       reinterpret_cast<void*>(&ReplacementMessageBox), kNameFlags, LmHookJump);
    ASSERT_TRUE(hook->Install());
    EXPECT_EQ(kReplaced, ShowBox("redirected").result);
    hook->Suspend();
    EXPECT_TRUE(ShowBox("passed on").reachedSystem);
    hook->Resume();
    EXPECT_EQ(kReplaced, ShowBox("redirected again").result);
    hook = nullptr;  // the last release removes the hook
    Box restored = ShowBox("restored");
    EXPECT_NE(kReplaced, restored.result);
    EXPECT_TRUE(restored.reachedSystem);
}

TEST(ApiHook, FailuresLeaveTheFunctionAlone)
{
    void* function = Export(L"user32", "MessageBoxIndirectA");
    void* replacement = reinterpret_cast<void*>(&ReplacementMessageBox);
    const Code before = Entry(function);
    const struct
    {
        const char* what;
        const wchar_t* module;
        const wchar_t* function;
        DWORD flags;
        DWORD method;
    } cases[] = {
        {"method 3", L"user32", L"MessageBoxIndirectA", kNameFlags, 3},
        {"method 0", L"user32", L"MessageBoxIndirectA", kNameFlags, 0},
        {"unknown module", L"no-such-module-here", L"MessageBoxIndirectA", kNameFlags, LmHookJump},
        {"unknown function", L"user32", L"NoSuchFunctionHere", kNameFlags, LmHookJump},
        {"function not looked up", L"user32", L"MessageBoxIndirectA", LmHookModuleByName, LmHookJump},
        {"module not looked up", L"user32", L"MessageBoxIndirectA", LmHookFunctionByName, LmHookJump},
        {"import without a target", L"user32", L"MessageBoxIndirectA", kNameFlags, LmHookImport},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CLmPtr<CLmAPIHook> hook = MakeHook(c.module, c.function, replacement, c.flags, c.method);
        SetLastError(0);
        EXPECT_FALSE(hook->Install());
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_EQ(before, Entry(function));
        EXPECT_EQ(nullptr, CLmAPIHook::FindHook(replacement).GetTyped());
        EXPECT_TRUE(hook->Remove());  // never installed: true, nothing changes
        EXPECT_EQ(before, Entry(function));
        if (c.method != LmHookJump)
        {
            EXPECT_TRUE(hook->Suspend());  // nothing to write back for other methods
            continue;
        }
        try
        {
            hook->Suspend();
            ADD_FAILURE() << "Suspend of a jump hook that is not in place raised nothing";
        }
        catch (const Errors::Exception::CLmException& error)
        {
            EXPECT_EQ(-201, error.m_Code);
            EXPECT_NE(std::wstring::npos,
                      std::wstring(error.GetMessage().GetBSTR()).find(L"El puntero del elemento m_FunctionAddress!=NULL"));
        }
    }
    int unused = 0;
    EXPECT_EQ(nullptr, CLmAPIHook::FindHook(&unused).GetTyped());
}

TEST(ApiHook, RegistrationOnlyChangesNoCode)
{
    void* function = Export(L"user32", "MessageBoxIndirectA");
    void* replacement = reinterpret_cast<void*>(&ReplacementMessageBox);
    const Code before = Entry(function);
    CLmPtr<CLmAPIHook> hook = MakeHook(L"user32", L"MessageBoxIndirectA", replacement, kNameFlags, LmHookRegisterOnly);
    ASSERT_TRUE(hook->Install());
    EXPECT_EQ(before, Entry(function));
    EXPECT_EQ(static_cast<CLmBaseApiHook*>(hook.GetTyped()), CLmAPIHook::FindHook(replacement).GetTyped());
    EXPECT_TRUE(hook->Suspend());
    EXPECT_TRUE(hook->Remove());
    EXPECT_EQ(nullptr, CLmAPIHook::FindHook(replacement).GetTyped());
}

// The export and import tables exist only in PE images; without one the two
// methods fail with ERROR_INVALID_HANDLE.
TEST(ApiHook, TablePatchesWhereModulesArePeImages)
{
    HMODULE user32 = GetModuleHandleW(L"user32");
    HMODULE program = GetModuleHandleW(nullptr);
    // The export table holds offsets from its module: the new entry is an address in
    // user32 itself (looked up, never called).
    void* inUser32 = static_cast<BYTE*>(Export(L"user32", "MessageBoxIndirectA")) + 16;
    void* findResource = reinterpret_cast<void*>(&ReplacementFindResource);
    const struct
    {
        const char* what;
        HMODULE image;
        DWORD method;
        const char* module;
        const char* function;
        void* replacement;
    } cases[] = {
        {"export", user32, LmHookExport, "user32", "MessageBoxIndirectA", inUser32},
        {"import", program, LmHookImport, "kernel32", "FindResourceExW", findResource},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CLmPtr<CLmAPIHook> hook = MakeHook(nullptr, nullptr, nullptr, 0, 0);
        const bool image = *reinterpret_cast<const WORD*>(c.image) == 0x5A4D;
        EXPECT_EQ(image, hook->GetDirectory(c.image, c.method == LmHookExport ? 0 : 1) != nullptr);

        LmHookDescriptor descriptor = {};
        descriptor.Method = c.method;
        descriptor.Flags = kNameFlags;
        descriptor.ModuleName = c.module;
        descriptor.FunctionName = c.function;
        descriptor.TargetModule = program;
        descriptor.NewFunction = c.replacement;
        std::wstring module(c.module, c.module + std::strlen(c.module));
        void* original = Export(module.c_str(), c.function);
        ASSERT_NE(nullptr, original);
        SetLastError(0);
        bool hooked = hook->HookDescriptor(descriptor);
        if (!image)
        {
            EXPECT_FALSE(hooked);
            EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
            continue;
        }
        ASSERT_TRUE(hooked);
        EXPECT_EQ(hook.GetTyped(), CLmAPIHook::FindHook(c.replacement).GetTyped());
        if (c.method == LmHookExport)
            EXPECT_EQ(inUser32, Export(L"user32", c.function));
        else
            EXPECT_EQ(reinterpret_cast<HRSRC>(static_cast<ULONG_PTR>(kReplaced)),
                      FindResourceExW(program, L"T", L"N", 0));
        EXPECT_TRUE(hook->Remove());
        EXPECT_EQ(original, Export(module.c_str(), c.function));
        EXPECT_EQ(nullptr, FindResourceExW(program, L"T", L"N", 0));
    }
    // A function the table does not hold: ERROR_INVALID_FUNCTION, where there are tables.
    CLmPtr<CLmAPIHook> hook = MakeHook(nullptr, nullptr, nullptr, 0, 0);
    int notExported = 0;
    SetLastError(0);
    EXPECT_FALSE(hook->HookExport(user32, &notExported, inUser32));
    EXPECT_EQ(static_cast<DWORD>(hook->GetDirectory(user32, 0) ? ERROR_INVALID_FUNCTION : ERROR_INVALID_HANDLE),
              GetLastError());
}

TEST(ModelerHooks, MessagesSwallowedAndShown)
{
    const std::string first =
        "Code generation cannot be started because no classes that should be generated are selected. \n"
        "Select the classes or components you want to generate and choose this command again.\n";
    const std::string delphi = "The selected language Delphi is not recognized by the code generator.";
    const std::string csharp = "The selected language C# is not recognized by the code generator.";
    const std::string delphiLonger = delphi + ".";
    const std::string csharpShorter = csharp.substr(0, csharp.size() - 1);
    const std::string firstShorter = first.substr(0, first.size() - 1);
    const struct
    {
        const char* what;
        const char* text;
        bool swallowed;
    } cases[] = {
        {"no selection", first.c_str(), true},
        {"Delphi", delphi.c_str(), true},
        {"C#", csharp.c_str(), true},
        {"Delphi and one more character", delphiLonger.c_str(), false},
        {"C# shortened", csharpShorter.c_str(), false},
        {"no selection without the last line feed", firstShorter.c_str(), false},
        {"other case", "the selected language delphi is not recognized by the code generator.", false},
        {"null text", nullptr, false},
    };
    void* function = Export(L"user32", "MessageBoxIndirectA");
    const Code before = Entry(function);
    CLmPtr<CVXFinalMessageHookModeler> hook = CVXFinalMessageHookModeler::Create(nullptr);
    ASSERT_TRUE(hook->Install());
    const Code jump = Entry(function);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Box box = ShowBox(c.text);
        EXPECT_EQ(!c.swallowed, box.reachedSystem);
        EXPECT_TRUE(!c.swallowed || box.result == 0) << box.result;
        EXPECT_EQ(jump, Entry(function));  // resumed after passing a box on
    }
    EXPECT_TRUE(hook->Remove());
    EXPECT_EQ(before, Entry(function));
}

TEST(ModelerHooks, ResourceLookupsPassThrough)
{
    void* function = Export(L"kernel32", "FindResourceExW");
    const Code before = Entry(function);
    const struct
    {
        LPCWSTR type;
        LPCWSTR name;
    } cases[] = {{L"NOSUCHTYPE", L"NOSUCHNAME"}, {MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(7)}, {nullptr, L"X"}};
    HMODULE program = GetModuleHandleW(nullptr);
    CLmPtr<CVXResourceHookModeler> hook = CVXResourceHookModeler::Create(nullptr);
    for (const auto& c : cases)
    {
        SetLastError(0);
        HRSRC plain = FindResourceExW(program, c.type, c.name, 0);
        DWORD plainError = GetLastError();
        ASSERT_TRUE(hook->Install());
        const Code jump = Entry(function);
        EXPECT_EQ(0xE9, jump[0]);
        SetLastError(0);
        EXPECT_EQ(plain, FindResourceExW(program, c.type, c.name, 0));
        EXPECT_EQ(plainError, GetLastError());
        EXPECT_EQ(jump, Entry(function));
        EXPECT_TRUE(hook->Remove());
        EXPECT_EQ(before, Entry(function));
    }
}

TEST(ModelerHooks, ServerModuleInstallsOnLoadAndRestoresOnUnload)
{
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    ASSERT_GT(length, 0u);
    std::wstring module(path, length);
    module = module.substr(0, module.find_last_of(L"\\/") + 1) + VEXLO_MODULE_NAME;

    void* functions[] = {Export(L"user32", "MessageBoxIndirectA"), Export(L"kernel32", "FindResourceExW")};
    const Code before[] = {Entry(functions[0]), Entry(functions[1])};
    HMODULE server = LoadLibraryW(module.c_str());
    ASSERT_NE(nullptr, server) << "cannot load the server module beside the test program";
    for (void* function : functions)
        EXPECT_EQ(0xE9, static_cast<const BYTE*>(function)[0]);
    Box swallowed = ShowBox("The selected language C# is not recognized by the code generator.");
    EXPECT_EQ(0, swallowed.result);
    EXPECT_FALSE(swallowed.reachedSystem);
    EXPECT_TRUE(ShowBox("Any other message").reachedSystem);
    EXPECT_TRUE(FreeLibrary(server));
    EXPECT_EQ(before[0], Entry(functions[0]));
    EXPECT_EQ(before[1], Entry(functions[1]));
}
