#include "LmDynamicObjects.h"

#include "LmTranslate.h"

namespace LmLib::Object
{
    CLmDynamicObjects::CLmDynamicObjects(const CLmPtr<CLmRefsObject>& owner)
        : CLmObjects(owner), m_Items(CLmOwnedAllocator<CLmGCPtr<CLmObject>>(this))
    {
    }

    CLmDynamicObjects::~CLmDynamicObjects() = default;

    CLmPtr<CLmDynamicObjects> CLmDynamicObjects::Create(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            return LmCreateObject<CLmDynamicObjects>(owner);
        }
        LM_END_TRY
    }

    bool CLmDynamicObjects::Initialize(CLmPtr<CLmRefsObject>)
    {
        return true;
    }

    int CLmDynamicObjects::GetCount()
    {
        return static_cast<int>(m_Items.size());
    }

    CLmPtr<CLmObject> CLmDynamicObjects::DoGetItem(int index)
    {
        LM_TRY
        {
            if (m_Items.empty())
                return CLmPtr<CLmObject>();
            return m_Items[static_cast<size_t>(index)];
        }
        LM_END_TRY
    }

    void CLmDynamicObjects::DoReset()
    {
    }

    CLmPtr<CLmObject> CLmDynamicObjects::DoAdd(CLmPtr<CLmObject> element)
    {
        LM_TRY
        {
            if (element.IsNull())
                LM_RAISE(Errors::Exception::LmErrorGeneral, L"Can't add empty element to List");
            m_Items.emplace_back(element);
            return element;
        }
        LM_END_TRY
    }

    void CLmDynamicObjects::DoRemoveAt(int index)
    {
        LM_TRY
        {
            if (!m_Items.empty())
                m_Items.erase(m_Items.begin() + index);
        }
        LM_END_TRY
    }

    void CLmDynamicObjects::DoRemove(CLmPtr<CLmObject> element)
    {
        LM_TRY
        {
            for (auto position = m_Items.begin(); position != m_Items.end(); ++position)
            {
                if (position->Get() == element.Get())
                {
                    m_Items.erase(position);
                    return;
                }
            }
        }
        LM_END_TRY
    }

    void CLmDynamicObjects::DoClear()
    {
        LM_TRY
        {
            m_Items.clear();
        }
        LM_END_TRY
    }
}
