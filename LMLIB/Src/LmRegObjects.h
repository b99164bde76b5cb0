// Base of the read-only registry collections (sub-keys, values) of one key.
#pragma once

#include "LmRegObject.h"
#include "LmVirtualObjects.h"

namespace LmLib::Registry
{
    class CLmRegKey;

    class CLmRegObjects : public Object::CLmVirtualObjects
    {
    public:
        CLmRegObjects(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& key);
        ~CLmRegObjects() override;

        CLmPtr<CLmRegKey> GetKey() const;

    protected:
        // Views of the registry: nothing is added or removed through them.
        CLmPtr<CLmObject> DoAdd(CLmPtr<CLmObject> element) override;
        void DoRemoveAt(int index) override;
        void DoRemove(CLmPtr<CLmObject> element) override;
        void DoClear() override;

        HKEY GetKeyHandle() const;

        CLmGCPtr<CLmRegKey> m_Key;
    };
}
