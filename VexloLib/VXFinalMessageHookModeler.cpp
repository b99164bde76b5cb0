#include "VXFinalMessageHookModeler.h"

#include "LmTranslate.h"

#include <cstring>

using namespace LmLib;
using namespace LmLib::Hook;

namespace
{
    // The host's messages, byte for byte. The first is one message of two lines: the
    // parentheses say the two literals are joined on purpose.
    const char* const kSwallowed[] = {
        ("Code generation cannot be started because no classes that should be generated are selected. \n"
         "Select the classes or components you want to generate and choose this command again.\n"),
        "The selected language Delphi is not recognized by the code generator.",
        "The selected language C# is not recognized by the code generator.",
    };

    bool IsSwallowed(const char* text)
    {
        if (!text)
            return false;
        size_t length = std::strlen(text);
        for (const char* message : kSwallowed)
        {
            if (length == std::strlen(message) && std::memcmp(text, message, length) == 0)
                return true;
        }
        return false;
    }
}

CVXFinalMessageHookModeler::CVXFinalMessageHookModeler(const CLmPtr<Object::CLmRefsObject>& owner)
    : CLmObject(owner),
      CLmAPIHook(owner, L"user32", L"MessageBoxIndirectA", reinterpret_cast<void*>(&MessageBoxIndirectReplacement),
                 LmHookModuleByName | LmHookFunctionByName, LmHookJump, nullptr)
{
}

CVXFinalMessageHookModeler::~CVXFinalMessageHookModeler() = default;

CLmPtr<CVXFinalMessageHookModeler> CVXFinalMessageHookModeler::Create(CLmPtr<Object::CLmRefsObject> owner)
{
    LM_TRY
    {
        return LmCreateObject<CVXFinalMessageHookModeler>(owner);
    }
    LM_END_TRY
}

bool CVXFinalMessageHookModeler::Initialize(CLmPtr<Object::CLmRefsObject>)
{
    return true;
}

int WINAPI CVXFinalMessageHookModeler::MessageBoxIndirectReplacement(const MSGBOXPARAMSA* params)
{
    LM_TRY
    {
        if (params && IsSwallowed(params->lpszText))
            return 0;
        CLmPtr<CLmAPIHook> hook = FindHook(reinterpret_cast<void*>(&MessageBoxIndirectReplacement));
        LM_CHECK_POINTER(hook.GetTyped(), L"hook");
        hook->Suspend();
        int result = MessageBoxIndirectA(params);
        hook->Resume();
        return result;
    }
    LM_END_TRY
}
