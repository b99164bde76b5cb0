#include "LmVirtualObjects.h"

#include "LmTranslate.h"

namespace LmLib::Object
{
    CLmVirtualObjects::CLmVirtualObjects(const CLmPtr<CLmRefsObject>& owner) : CLmObjects(owner), m_Count(0)
    {
    }

    CLmVirtualObjects::~CLmVirtualObjects() = default;

    void CLmVirtualObjects::Clear()
    {
        LM_TRY
        {
            m_Count = 0;
            CLmObjects::Clear();
        }
        LM_END_TRY
    }

    int CLmVirtualObjects::GetCount()
    {
        return m_Count;
    }

    void CLmVirtualObjects::SetCount(int count)
    {
        m_Count = count;
    }

    void CLmVirtualObjects::DoReset()
    {
    }
}
