#include "LmRegStringValue.h"

#include "LmRegValues.h"
#include "LmTranslate.h"

namespace LmLib::Registry
{
    CLmRegStringValue::CLmRegStringValue(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegValues>& values,
                                         const CLmBSTR& name)
        : CLmRegValue(owner, values, name)
    {
    }

    CLmRegStringValue::~CLmRegStringValue() = default;

    CLmPtr<CLmRegStringValue> CLmRegStringValue::Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegValues> values,
                                                        const CLmBSTR& name)
    {
        LM_TRY
        {
            return LmCreateObject<CLmRegStringValue>(owner, values, name);
        }
        LM_END_TRY
    }

    bool CLmRegStringValue::Initialize(CLmPtr<CLmRefsObject>)
    {
        return true;
    }
}
