#include "LmRegKeys.h"

#include "LmRegKey.h"
#include "LmTranslate.h"

namespace LmLib::Registry
{
    namespace
    {
        const DWORD NameBufferSize = 261;
    }

    CLmRegKeys::CLmRegKeys(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& key)
        : CLmRegObjects(owner, key)
    {
    }

    CLmRegKeys::~CLmRegKeys() = default;

    CLmPtr<CLmRegKeys> CLmRegKeys::Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegKey> key)
    {
        LM_TRY
        {
            return LmCreateObject<CLmRegKeys>(owner, key);
        }
        LM_END_TRY
    }

    bool CLmRegKeys::Initialize(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            if (!CLmRegObjects::Initialize(owner))
                return false;
            HKEY handle = GetKeyHandle();
            wchar_t name[NameBufferSize];
            int count = 0;
            while (RegEnumKeyW(handle, static_cast<DWORD>(count), name, NameBufferSize) == ERROR_SUCCESS)
                ++count;
            SetCount(count);
            return true;
        }
        LM_END_TRY
    }

    CLmPtr<CLmObject> CLmRegKeys::DoGetItem(int index)
    {
        LM_TRY
        {
            wchar_t name[NameBufferSize];
            if (RegEnumKeyW(GetKeyHandle(), static_cast<DWORD>(index), name, NameBufferSize) != ERROR_SUCCESS)
                return CLmPtr<CLmObject>();
            return CLmRegKey::Create(this, GetKey(), name);
        }
        LM_END_TRY
    }
}
