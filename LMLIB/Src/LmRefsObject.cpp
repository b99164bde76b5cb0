#include "LmRefsObject.h"

#include "LmTranslate.h"

namespace LmLib::Object
{
    CLmRefsObject::CLmRefsObject(const CLmPtr<CLmRefsObject>& owner) : m_Owner(this, owner)
    {
    }

    CLmRefsObject::~CLmRefsObject() = default;

    void CLmRefsObject::Destroy()
    {
        LM_TRY
        {
            CLmUnknownObject::Destroy();
        }
        LM_END_TRY
    }

    void CLmRefsObject::ReleaseOwnerChain()
    {
        LM_TRY
        {
            CLmPtr<CLmRefsObject> owner = m_Owner;
            if (owner)
                owner->ReleaseOwnerChain();
            ReleaseOwner();
        }
        LM_END_TRY
    }

    void CLmRefsObject::ReleaseOwner()
    {
        LM_TRY
        {
            if (m_Owner.GetTyped())
                m_Owner = nullptr;
        }
        LM_END_TRY
    }

    bool CLmRefsObject::Initialize(CLmPtr<CLmRefsObject>)
    {
        return true;
    }

    CLmPtr<CLmRefsObject> CLmRefsObject::GetOwner() const
    {
        return m_Owner;
    }
}
