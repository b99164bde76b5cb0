#include "LmAPIHook.h"

#include "LmTranslate.h"

#include <vxplat/Memory.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>

namespace LmLib::Hook
{
    namespace
    {
        // The process-wide map from replacement to hook. It does not own the hooks:
        // a hook leaves it when it is unhooked, at the latest when it is destroyed.
        struct HookMap
        {
            std::mutex Lock;
            std::map<void*, CLmBaseApiHook*> Hooks;
        };

        HookMap& Hooks()
        {
            static HookMap map;
            return map;
        }

        constexpr bool kJumpPatchable =
#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
            true;
#else
            false;
#endif

        // Image layout: the DOS header's e_lfanew, the PE signature, the file header,
        // and the data directories at the end of the optional header.
        constexpr WORD kDosSignature = 0x5A4D;
        constexpr DWORD kPeSignature = 0x00004550;
        constexpr size_t kLfanewOffset = 0x3C;
        constexpr size_t kFileHeaderSize = 20;
        constexpr WORD kOptionalPe32Plus = 0x20B;
        constexpr size_t kDirectoriesPe32 = 96;
        constexpr size_t kDirectoriesPe32Plus = 112;
        constexpr size_t kRvaCountPe32 = 92;
        constexpr size_t kRvaCountPe32Plus = 108;
        constexpr size_t kImportDescriptorSize = 20;

        template <class T>
        T Read(const void* at)
        {
            T value;
            std::memcpy(&value, at, sizeof value);
            return value;
        }

        BYTE* At(HMODULE module, DWORD rva)
        {
            return reinterpret_cast<BYTE*>(module) + rva;
        }

        // x86_64: jmp qword ptr [rip+0] followed by the absolute target.
        constexpr BYTE kFarJump[6] = {0xFF, 0x25, 0x00, 0x00, 0x00, 0x00};
        constexpr size_t kStubSize = sizeof kFarJump + sizeof(void*);

        bool Reaches(const BYTE* from, const void* to)
        {
            intptr_t distance = reinterpret_cast<intptr_t>(to) - reinterpret_cast<intptr_t>(from + 5);
            return distance >= INT32_MIN && distance <= INT32_MAX;
        }

        // A page within jump reach of the function that jumps on to the target;
        // null when no free address near the function can be had.
        void* MakeStub(const BYTE* function, void* target)
        {
            const uintptr_t step = 1u << 20;  // a multiple of every allocation granularity
            const uintptr_t origin = reinterpret_cast<uintptr_t>(function) & ~(step - 1);
            const uintptr_t reach = (uintptr_t(1) << 31) - 2 * step;
            for (uintptr_t offset = step; offset < reach; offset += step)
            {
                for (int side = 0; side < 2; ++side)
                {
                    if (side == 0 && origin < offset)
                        continue;
                    uintptr_t candidate = side == 0 ? origin - offset : origin + offset;
                    void* page = VirtualAlloc(reinterpret_cast<void*>(candidate), kStubSize, MEM_COMMIT | MEM_RESERVE,
                                              PAGE_READWRITE);
                    if (!page)
                        continue;
                    if (!Reaches(function, page))
                    {
                        VirtualFree(page, 0, MEM_RELEASE);
                        continue;
                    }
                    std::memcpy(page, kFarJump, sizeof kFarJump);
                    std::memcpy(static_cast<BYTE*>(page) + sizeof kFarJump, &target, sizeof target);
                    DWORD previous = 0;
                    if (!VirtualProtect(page, kStubSize, PAGE_EXECUTE_READ, &previous))
                    {
                        VirtualFree(page, 0, MEM_RELEASE);
                        return nullptr;
                    }
                    return page;
                }
            }
            return nullptr;
        }
    }

    CLmAPIHook::CLmAPIHook(const CLmPtr<CLmRefsObject>& owner, const wchar_t* moduleName, const wchar_t* functionName,
                           void* newFunction, DWORD flags, DWORD method, const wchar_t* targetModuleName)
        : CLmObject(owner),
          m_Chain(this),
          m_FunctionAddress(nullptr),
          m_NewFunction(newFunction),
          m_Module(nullptr),
          m_Method(method),
          m_ModuleName(moduleName),
          m_FunctionName(functionName),
          m_TargetModuleName(targetModuleName),
          m_Flags(flags),
          m_SavedCode(),
          m_JumpCode(),
          m_Stub(nullptr),
          m_TableEntry(nullptr),
          m_SavedEntry(0)
    {
    }

    CLmAPIHook::~CLmAPIHook()
    {
        try
        {
            Remove();
        }
        catch (...)
        {
            // A destructor lets nothing out; the entry stays as it was.
        }
        Unregister();
        FreeStub();
    }

    bool CLmAPIHook::Install()
    {
        LM_TRY
        {
            return Hook(m_ModuleName, m_FunctionName, m_TargetModuleName, m_NewFunction, m_Flags, m_Method);
        }
        LM_END_TRY
    }

    bool CLmAPIHook::Remove()
    {
        LM_TRY
        {
            if (!m_FunctionAddress)
                return true;
            switch (m_Method)
            {
            case LmHookJump:
                return UnhookJump();
            case LmHookExport:
                return UnhookExport();
            case LmHookImport:
                return UnhookImport();
            case LmHookRegisterOnly:
                return UnhookRegisterOnly();
            default:
                return false;
            }
        }
        LM_END_TRY
    }

    CLmPtr<CLmBaseApiHook> CLmAPIHook::FindHook(void* newFunction)
    {
        LM_TRY
        {
            HookMap& map = Hooks();
            std::lock_guard<std::mutex> lock(map.Lock);
            auto found = map.Hooks.find(newFunction);
            return found == map.Hooks.end() ? CLmPtr<CLmBaseApiHook>() : CLmPtr<CLmBaseApiHook>(found->second);
        }
        LM_END_TRY
    }

    bool CLmAPIHook::Hook(const CLmBSTR& moduleName, const CLmBSTR& functionName, const CLmBSTR& targetModuleName,
                          void* newFunction, DWORD flags, DWORD method)
    {
        LM_TRY
        {
            HMODULE module = nullptr;
            void* function = nullptr;
            HMODULE target = nullptr;
            if ((flags & LmHookModuleByName) && moduleName.GetBSTR())
                module = GetModuleHandleW(moduleName.GetBSTR());
            if (module && (flags & LmHookFunctionByName))
                function = reinterpret_cast<void*>(GetProcAddress(module, functionName.ToAnsi().c_str()));
            if ((flags & (LmHookTargetByName | LmHookModuleHandle)) && targetModuleName.GetBSTR())
                target = GetModuleHandleW(targetModuleName.GetBSTR());
            return Dispatch(module, function, target, newFunction, method);
        }
        LM_END_TRY
    }

    bool CLmAPIHook::HookDescriptor(const LmHookDescriptor& descriptor)
    {
        LM_TRY
        {
            HMODULE module = nullptr;
            void* function = nullptr;
            HMODULE target = descriptor.TargetModule;
            if ((descriptor.Flags & LmHookModuleByName) && descriptor.ModuleName)
                module = GetModuleHandleA(descriptor.ModuleName);
            else if (descriptor.Flags & LmHookModuleHandle)
                module = descriptor.Module;
            if (module && (descriptor.Flags & LmHookFunctionByName) && descriptor.FunctionName)
                function = reinterpret_cast<void*>(GetProcAddress(module, descriptor.FunctionName));
            else if (descriptor.Flags & LmHookFunctionAddress)
                function = descriptor.Function;
            if ((descriptor.Flags & LmHookTargetByName) && descriptor.TargetModuleName)
                target = GetModuleHandleA(descriptor.TargetModuleName);
            return Dispatch(module, function, target, descriptor.NewFunction, descriptor.Method);
        }
        LM_END_TRY
    }

    bool CLmAPIHook::Dispatch(HMODULE module, void* function, HMODULE target, void* newFunction, DWORD method)
    {
        bool hooked = false;
        if (method == LmHookJump && function && newFunction)
            hooked = HookByJump(function, newFunction);
        else if (method == LmHookExport && module && function && newFunction)
            hooked = HookExport(module, function, newFunction);
        else if (method == LmHookImport && target && function && newFunction)
            hooked = HookImport(target, function, newFunction);
        else if (method == LmHookRegisterOnly && function && newFunction)
            hooked = HookRegisterOnly(function, newFunction);
        else
        {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        if (hooked)
            OnHooked();
        return hooked;
    }

    bool CLmAPIHook::Suspend()
    {
        LM_TRY
        {
            if (m_Method != LmHookJump)
                return true;
            LM_CHECK_POINTER(m_FunctionAddress, L"m_FunctionAddress!=NULL");
            return WriteEntry(m_SavedCode);
        }
        LM_END_TRY
    }

    bool CLmAPIHook::Resume()
    {
        LM_TRY
        {
            if (m_Method != LmHookJump)
                return true;
            LM_CHECK_POINTER(m_FunctionAddress, L"m_FunctionAddress!=NULL");
            return WriteEntry(m_JumpCode);
        }
        LM_END_TRY
    }

    void CLmAPIHook::OnHooked()
    {
    }

    void* CLmAPIHook::GetDirectory(HMODULE module, int index)
    {
        LM_TRY
        {
            if (!module || index < 0)
                return nullptr;
            const BYTE* base = reinterpret_cast<const BYTE*>(module);
            if (Read<WORD>(base) != kDosSignature)
                return nullptr;
            const BYTE* nt = base + Read<LONG>(base + kLfanewOffset);
            if (Read<DWORD>(nt) != kPeSignature)
                return nullptr;
            const BYTE* optional = nt + 4 + kFileHeaderSize;
            bool plus = Read<WORD>(optional) == kOptionalPe32Plus;
            DWORD count = Read<DWORD>(optional + (plus ? kRvaCountPe32Plus : kRvaCountPe32));
            if (static_cast<DWORD>(index) >= count)
                return nullptr;
            return const_cast<BYTE*>(optional + (plus ? kDirectoriesPe32Plus : kDirectoriesPe32) + 8 * index);
        }
        LM_END_TRY
    }

    bool CLmAPIHook::HookByJump(void* function, void* newFunction)
    {
        LM_TRY
        {
            if (m_Method == LmHookJump && m_FunctionAddress)
                UnhookJump();
            m_Method = LmHookJump;
            if (!kJumpPatchable)
            {
                SetLastError(ERROR_NOT_SUPPORTED);
                return false;
            }
            BYTE* entry = static_cast<BYTE*>(function);
            void* target = newFunction;
            void* stub = nullptr;
            if (!Reaches(entry, target))
            {
                stub = MakeStub(entry, newFunction);
                if (!stub)
                    return false;
                target = stub;
            }
            int32_t displacement = static_cast<int32_t>(static_cast<uint32_t>(
                reinterpret_cast<uintptr_t>(target) - reinterpret_cast<uintptr_t>(entry + 5)));
            BYTE jump[5] = {0xE9};
            for (int i = 0; i < 4; ++i)
                jump[1 + i] = static_cast<BYTE>(static_cast<uint32_t>(displacement) >> (8 * i));

            DWORD previous = 0;
            if (!VirtualProtect(entry, 5, PAGE_EXECUTE_READWRITE, &previous))
            {
                if (stub)
                    VirtualFree(stub, 0, MEM_RELEASE);
                return false;
            }
            std::memcpy(m_JumpCode, jump, 5);
            m_Stub = stub;
            m_FunctionAddress = function;
            std::memcpy(m_SavedCode, entry, 5);
            std::memcpy(entry, m_JumpCode, 5);
            VirtualProtect(entry, 5, previous, &previous);
            Register(newFunction);
            return true;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::HookExport(HMODULE module, void* function, void* newFunction)
    {
        LM_TRY
        {
            BYTE* directory = static_cast<BYTE*>(GetDirectory(module, 0));
            DWORD rva = directory ? Read<DWORD>(directory) : 0;
            if (!rva)
            {
                SetLastError(ERROR_INVALID_HANDLE);
                return false;
            }
            const BYTE* exports = At(module, rva);
            DWORD count = Read<DWORD>(exports + 20);
            DWORD* addresses = reinterpret_cast<DWORD*>(At(module, Read<DWORD>(exports + 28)));
            uintptr_t base = reinterpret_cast<uintptr_t>(module);
            uintptr_t wanted = reinterpret_cast<uintptr_t>(function) - base;
            uintptr_t replacement = reinterpret_cast<uintptr_t>(newFunction) - base;
            for (DWORD i = 0; i < count; ++i)
            {
                if (Read<DWORD>(&addresses[i]) != wanted)
                    continue;
                // The table holds 32-bit offsets from the module: a replacement
                // below the module or 4 GB above it cannot be written there.
                if (replacement > UINT32_MAX)
                {
                    SetLastError(ERROR_INVALID_PARAMETER);
                    return false;
                }
                DWORD value = static_cast<DWORD>(replacement);
                if (!WriteTableEntry(&addresses[i], &value, sizeof value))
                    return false;
                m_Method = LmHookExport;
                m_Module = module;
                m_TableEntry = &addresses[i];
                m_SavedEntry = wanted;
                m_FunctionAddress = function;
                Register(newFunction);
                return true;
            }
            SetLastError(ERROR_INVALID_FUNCTION);
            return false;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::HookImport(HMODULE targetModule, void* function, void* newFunction)
    {
        LM_TRY
        {
            BYTE* directory = static_cast<BYTE*>(GetDirectory(targetModule, 1));
            DWORD rva = directory ? Read<DWORD>(directory) : 0;
            if (!rva)
            {
                SetLastError(ERROR_INVALID_HANDLE);
                return false;
            }
            static const BYTE kZero[kImportDescriptorSize] = {};
            for (const BYTE* descriptor = At(targetModule, rva);
                 std::memcmp(descriptor, kZero, kImportDescriptorSize) != 0; descriptor += kImportDescriptorSize)
            {
                DWORD thunks = Read<DWORD>(descriptor + 16);
                if (!thunks)
                    continue;
                for (void** entry = reinterpret_cast<void**>(At(targetModule, thunks)); Read<void*>(entry); ++entry)
                {
                    if (Read<void*>(entry) != function)
                        continue;
                    if (!WriteTableEntry(entry, &newFunction, sizeof newFunction))
                        return false;
                    m_Method = LmHookImport;
                    m_Module = targetModule;
                    m_TableEntry = entry;
                    m_SavedEntry = reinterpret_cast<ULONG_PTR>(function);
                    m_FunctionAddress = function;
                    Register(newFunction);
                    return true;
                }
            }
            SetLastError(ERROR_INVALID_FUNCTION);
            return false;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::HookRegisterOnly(void* function, void* newFunction)
    {
        LM_TRY
        {
            m_Method = LmHookRegisterOnly;
            m_FunctionAddress = function;
            Register(newFunction);
            return true;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::UnhookJump()
    {
        LM_TRY
        {
            if (!Suspend())
                return false;
            m_FunctionAddress = nullptr;
            Unregister();
            FreeStub();
            return true;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::UnhookExport()
    {
        LM_TRY
        {
            DWORD value = static_cast<DWORD>(m_SavedEntry);
            if (!m_TableEntry || !WriteTableEntry(m_TableEntry, &value, sizeof value))
                return false;
            m_FunctionAddress = nullptr;
            m_TableEntry = nullptr;
            Unregister();
            return true;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::UnhookImport()
    {
        LM_TRY
        {
            void* value = reinterpret_cast<void*>(m_SavedEntry);
            if (!m_TableEntry || !WriteTableEntry(m_TableEntry, &value, sizeof value))
                return false;
            m_FunctionAddress = nullptr;
            m_TableEntry = nullptr;
            Unregister();
            return true;
        }
        LM_END_TRY
    }

    bool CLmAPIHook::UnhookRegisterOnly()
    {
        LM_TRY
        {
            m_FunctionAddress = nullptr;
            Unregister();
            return true;
        }
        LM_END_TRY
    }

    void* CLmAPIHook::GetFunctionAddress() const
    {
        return m_FunctionAddress;
    }

    void* CLmAPIHook::GetNewFunction() const
    {
        return m_NewFunction;
    }

    DWORD CLmAPIHook::GetMethod() const
    {
        return m_Method;
    }

    void CLmAPIHook::Register(void* newFunction)
    {
        HookMap& map = Hooks();
        std::lock_guard<std::mutex> lock(map.Lock);
        CLmBaseApiHook* chained = m_Chain;
        m_NewFunction = newFunction;
        map.Hooks[newFunction] = chained ? chained : this;
    }

    void CLmAPIHook::Unregister()
    {
        HookMap& map = Hooks();
        std::lock_guard<std::mutex> lock(map.Lock);
        auto found = map.Hooks.find(m_NewFunction);
        CLmBaseApiHook* chained = m_Chain;
        if (found != map.Hooks.end() && (found->second == this || found->second == chained))
            map.Hooks.erase(found);
    }

    bool CLmAPIHook::WriteEntry(const BYTE* code)
    {
        DWORD previous = 0;
        if (!VirtualProtect(m_FunctionAddress, 5, PAGE_EXECUTE_READWRITE, &previous))
            return false;
        std::memcpy(m_FunctionAddress, code, 5);
        VirtualProtect(m_FunctionAddress, 5, previous, &previous);
        return true;
    }

    bool CLmAPIHook::WriteTableEntry(void* entry, const void* value, size_t size)
    {
        DWORD previous = 0;
        if (!VirtualProtect(entry, size, PAGE_READWRITE, &previous))
            return false;
        std::memcpy(entry, value, size);
        VirtualProtect(entry, size, previous, &previous);
        return true;
    }

    void CLmAPIHook::FreeStub()
    {
        if (m_Stub)
            VirtualFree(m_Stub, 0, MEM_RELEASE);
        m_Stub = nullptr;
    }
}
