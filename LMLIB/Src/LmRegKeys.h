// The sub-keys of an open key, produced on demand.
#pragma once

#include "LmRegObjects.h"

namespace LmLib::Registry
{
    class CLmRegKeys : public CLmRegObjects
    {
    public:
        CLmRegKeys(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& key);
        ~CLmRegKeys() override;

        static CLmPtr<CLmRegKeys> Create(CLmPtr<CLmRefsObject> owner, CLmPtr<CLmRegKey> key);

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;

    protected:
        CLmPtr<CLmObject> DoGetItem(int index) override;
    };
}
