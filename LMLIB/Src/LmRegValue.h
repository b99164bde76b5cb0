// A named value of a registry key.
#pragma once

#include "LmRegObject.h"

namespace LmLib::Registry
{
    class CLmRegValues;

    class CLmRegValue : public CLmRegObject
    {
    public:
        CLmRegValue(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegValues>& values, const CLmBSTR& name);
        ~CLmRegValue() override;

        static CLmPtr<CLmRegValue> Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegValues> values,
                                          const CLmBSTR& name);

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;
        CLmBSTR GetName() const;

    protected:
        CLmBSTR m_Name;
    };
}
