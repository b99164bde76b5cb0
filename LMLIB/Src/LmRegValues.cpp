#include "LmRegValues.h"

#include "LmRegKey.h"
#include "LmRegStringValue.h"
#include "LmTranslate.h"

namespace LmLib::Registry
{
    namespace
    {
        const DWORD NameBufferSize = 261;
    }

    CLmRegValues::CLmRegValues(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& key)
        : CLmRegObjects(owner, key)
    {
    }

    CLmRegValues::~CLmRegValues() = default;

    CLmPtr<CLmRegValues> CLmRegValues::Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegKey> key)
    {
        LM_TRY
        {
            return LmCreateObject<CLmRegValues>(owner, key);
        }
        LM_END_TRY
    }

    bool CLmRegValues::Initialize(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            if (!CLmRegObjects::Initialize(owner))
                return false;
            HKEY handle = GetKeyHandle();
            wchar_t name[NameBufferSize];
            int count = 0;
            for (;;)
            {
                DWORD size = NameBufferSize;
                if (RegEnumValueW(handle, static_cast<DWORD>(count), name, &size, nullptr, nullptr, nullptr,
                                  nullptr) != ERROR_SUCCESS)
                    break;
                ++count;
            }
            SetCount(count);
            return true;
        }
        LM_END_TRY
    }

    CLmPtr<CLmObject> CLmRegValues::DoGetItem(int index)
    {
        LM_TRY
        {
            wchar_t name[NameBufferSize];
            DWORD size = NameBufferSize;
            DWORD type = 0;
            if (RegEnumValueW(GetKeyHandle(), static_cast<DWORD>(index), name, &size, nullptr, &type, nullptr,
                              nullptr) != ERROR_SUCCESS)
                return CLmPtr<CLmObject>();
            if (type > REG_RESOURCE_LIST)
                LM_RAISE(Errors::Exception::LmErrorGeneral, L"Unexpected registry value type [%d]",
                         static_cast<int>(type));
            return CLmRegStringValue::Create(this, this, name);
        }
        LM_END_TRY
    }
}
