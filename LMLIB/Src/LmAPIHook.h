// Redirects the calls of one exported system function, in the whole process, to a
// replacement, and lets the replacement reach the original again.
//
// Methods: 1 overwrites the first five bytes of the function with a jump to the
// replacement; 2 rewrites the function's entry in the exporting module's export
// table; 4 rewrites its entry in one module's import table; 8 only registers the
// replacement. A process-wide map from replacement to hook lets a replacement find
// its own hook:
//
//   int WINAPI MyMessageBox(const MSGBOXPARAMSA* params)
//   {
//       CLmPtr<CLmAPIHook> hook = CLmAPIHook::FindHook(reinterpret_cast<void*>(&MyMessageBox));
//       hook->Suspend();
//       int result = MessageBoxIndirectA(params);
//       hook->Resume();
//       return result;
//   }
//
// On x86_64 a 32-bit displacement may not reach the replacement from the function.
// The jump then leads to a small stub allocated within reach of the function, which
// jumps on to the replacement through a 64-bit address; on i686 the five bytes are
// always the jump to the replacement itself.
#pragma once

#include "LmBSTR.h"
#include "LmBaseApiHook.h"

#include <vxplat/Kernel.h>

namespace LmLib::Hook
{
    using Values::CLmBSTR;

    // Redirection methods.
    enum : DWORD
    {
        LmHookJump = 1,
        LmHookExport = 2,
        LmHookImport = 4,
        LmHookRegisterOnly = 8,
    };

    // How names are resolved.
    enum : DWORD
    {
        LmHookFunctionAddress = 1,   // the function's address is given (descriptor)
        LmHookFunctionByName = 2,    // GetProcAddress of the function name
        LmHookModuleHandle = 4,      // the module handle is given (descriptor); by name: target by name
        LmHookModuleByName = 8,      // GetModuleHandle of the module name
        LmHookTargetByName = 16,     // GetModuleHandle of the target module name
    };

    // Everything a hook needs, in one record: names or addresses as the flags say.
    struct LmHookDescriptor
    {
        DWORD Method;
        DWORD Flags;
        const char* FunctionName;
        void* Function;
        const char* ModuleName;
        HMODULE Module;
        const char* TargetModuleName;
        HMODULE TargetModule;
        void* NewFunction;
    };

    class CLmAPIHook : public virtual CLmBaseApiHook
    {
    public:
        CLmAPIHook(const CLmPtr<CLmRefsObject>& owner, const wchar_t* moduleName, const wchar_t* functionName,
                   void* newFunction, DWORD flags, DWORD method, const wchar_t* targetModuleName);
        ~CLmAPIHook() override;

        bool Install() override;
        // Nothing to do unless hooked; otherwise undoes the method in force.
        bool Remove() override;

        // The hook registered for a replacement; null when none is.
        static CLmPtr<CLmBaseApiHook> FindHook(void* newFunction);

        virtual bool Hook(const CLmBSTR& moduleName, const CLmBSTR& functionName, const CLmBSTR& targetModuleName,
                          void* newFunction, DWORD flags, DWORD method);
        virtual bool HookDescriptor(const LmHookDescriptor& descriptor);
        // Jump hooks: the original code back over the function, and the jump again.
        virtual bool Suspend();
        virtual bool Resume();
        virtual void OnHooked();
        // The data directory (0 export, 1 import) of a module image; null when the
        // module does not carry the DOS and PE signatures.
        virtual void* GetDirectory(HMODULE module, int index);
        virtual bool HookByJump(void* function, void* newFunction);
        virtual bool HookExport(HMODULE module, void* function, void* newFunction);
        virtual bool HookImport(HMODULE targetModule, void* function, void* newFunction);
        virtual bool HookRegisterOnly(void* function, void* newFunction);
        virtual bool UnhookJump();
        virtual bool UnhookExport();
        virtual bool UnhookImport();
        virtual bool UnhookRegisterOnly();
        virtual void* GetFunctionAddress() const;
        virtual void* GetNewFunction() const;
        virtual DWORD GetMethod() const;

        CLmGCPtr<CLmBaseApiHook> m_Chain;

    protected:
        bool Dispatch(HMODULE module, void* function, HMODULE target, void* newFunction, DWORD method);
        void Register(void* newFunction);
        void Unregister();
        // Writes the five bytes over the function entry, lifting its protection meanwhile.
        bool WriteEntry(const BYTE* code);
        // Writes one table entry (4 or pointer-sized bytes), lifting its protection meanwhile.
        static bool WriteTableEntry(void* entry, const void* value, size_t size);
        void FreeStub();

        void* m_FunctionAddress;
        void* m_NewFunction;
        HMODULE m_Module;
        DWORD m_Method;
        CLmBSTR m_ModuleName;
        CLmBSTR m_FunctionName;
        CLmBSTR m_TargetModuleName;
        DWORD m_Flags;
        BYTE m_SavedCode[5];
        BYTE m_JumpCode[5];
        void* m_Stub;            // the jump's far stub (x86_64), null when the jump reaches directly
        void* m_TableEntry;      // the export or import table entry patched
        ULONG_PTR m_SavedEntry;  // what that entry held before
    };
}
