// The values of an open key, produced on demand.
#pragma once

#include "LmRegObjects.h"

namespace LmLib::Registry
{
    class CLmRegValues : public CLmRegObjects
    {
    public:
        CLmRegValues(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& key);
        ~CLmRegValues() override;

        static CLmPtr<CLmRegValues> Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegKey> key);

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;

    protected:
        // A CLmRegStringValue for the types REG_NONE to REG_RESOURCE_LIST; others raise.
        CLmPtr<CLmObject> DoGetItem(int index) override;
    };
}
