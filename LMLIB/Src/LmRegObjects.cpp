#include "LmRegObjects.h"

#include "LmRegKey.h"

namespace LmLib::Registry
{
    CLmRegObjects::CLmRegObjects(const CLmPtr<CLmRefsObject>& owner, const CLmPtr<CLmRegKey>& key)
        : CLmVirtualObjects(owner), m_Key(this, key)
    {
    }

    CLmRegObjects::~CLmRegObjects() = default;

    CLmPtr<CLmRegKey> CLmRegObjects::GetKey() const
    {
        return m_Key;
    }

    CLmPtr<CLmObject> CLmRegObjects::DoAdd(CLmPtr<CLmObject>)
    {
        return CLmPtr<CLmObject>();
    }

    void CLmRegObjects::DoRemoveAt(int)
    {
    }

    void CLmRegObjects::DoRemove(CLmPtr<CLmObject>)
    {
    }

    void CLmRegObjects::DoClear()
    {
    }

    HKEY CLmRegObjects::GetKeyHandle() const
    {
        CLmRegKey* key = m_Key;
        return key ? key->GetHandle() : nullptr;
    }
}
