// A registry value of one of the handled types, known by its name.
#pragma once

#include "LmRegValue.h"

namespace LmLib::Registry
{
    class CLmRegStringValue : public CLmRegValue
    {
    public:
        CLmRegStringValue(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegValues>& values,
                          const CLmBSTR& name);
        ~CLmRegStringValue() override;

        static CLmPtr<CLmRegStringValue> Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegValues> values,
                                                const CLmBSTR& name);

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;
    };
}
