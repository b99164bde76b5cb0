#include "LmRegValue.h"

#include "LmRegValues.h"
#include "LmTranslate.h"

namespace LmLib::Registry
{
    CLmRegValue::CLmRegValue(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegValues>&, const CLmBSTR& name)
        : CLmRegObject(owner), m_Name(name)
    {
    }

    CLmRegValue::~CLmRegValue() = default;

    CLmPtr<CLmRegValue> CLmRegValue::Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegValues> values,
                                            const CLmBSTR& name)
    {
        LM_TRY
        {
            return LmCreateObject<CLmRegValue>(owner, values, name);
        }
        LM_END_TRY
    }

    bool CLmRegValue::Initialize(CLmPtr<CLmRefsObject>)
    {
        return true;
    }

    CLmBSTR CLmRegValue::GetName() const
    {
        LM_TRY
        {
            return m_Name;
        }
        LM_END_TRY
    }
}
