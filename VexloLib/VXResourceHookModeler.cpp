#include "VXResourceHookModeler.h"

#include "LmTranslate.h"

using namespace LmLib;
using namespace LmLib::Hook;

CVXResourceHookModeler::CVXResourceHookModeler(const CLmPtr<Object::CLmRefsObject>& owner)
    : CLmObject(owner),
      CLmAPIHook(owner, L"kernel32", L"FindResourceExW", reinterpret_cast<void*>(&FindResourceExReplacement),
                 LmHookModuleByName | LmHookFunctionByName, LmHookJump, nullptr)
{
}

CVXResourceHookModeler::~CVXResourceHookModeler() = default;

CLmPtr<CVXResourceHookModeler> CVXResourceHookModeler::Create(CLmPtr<Object::CLmRefsObject> owner)
{
    LM_TRY
    {
        return LmCreateObject<CVXResourceHookModeler>(owner);
    }
    LM_END_TRY
}

bool CVXResourceHookModeler::Initialize(CLmPtr<Object::CLmRefsObject>)
{
    return true;
}

HRSRC WINAPI CVXResourceHookModeler::FindResourceExReplacement(HMODULE module, LPCWSTR type, LPCWSTR name,
                                                               WORD language)
{
    LM_TRY
    {
        CLmPtr<CLmAPIHook> hook = FindHook(reinterpret_cast<void*>(&FindResourceExReplacement));
        LM_CHECK_POINTER(hook.GetTyped(), L"hook");
        hook->Suspend();
        HRSRC result = FindResourceExW(module, type, name, language);
        hook->Resume();
        return result;
    }
    LM_END_TRY
}
