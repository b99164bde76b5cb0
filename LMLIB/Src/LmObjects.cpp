#include "LmObjects.h"

#include "LmTranslate.h"

namespace LmLib::Object
{
    CLmObjects::CLmObjects(const CLmPtr<CLmRefsObject>& owner) : CLmObject(owner), m_Events(this)
    {
    }

    CLmObjects::~CLmObjects() = default;

    void CLmObjects::Destroy()
    {
        LM_TRY
        {
            OnDestroy();
        }
        LM_END_TRY
    }

    // Abstract, yet callable by the kinds of collection as their base step.
    bool CLmObjects::Initialize(CLmPtr<CLmRefsObject> owner)
    {
        LM_TRY
        {
            return CLmObject::Initialize(owner);
        }
        LM_END_TRY
    }

    CLmPtr<CLmObject> CLmObjects::Add(CLmPtr<CLmObject> element)
    {
        LM_TRY
        {
            CLmPtr<CLmObjectsEvents> events = m_Events;
            CLmPtr<CLmObject> result;
            if (events)
                result = events->OnAdd(element);
            if (!result)
                result = DoAdd(element);
            if (events)
                result = events->OnAdded(element, result);
            return result;
        }
        LM_END_TRY
    }

    void CLmObjects::RemoveAt(int index)
    {
        LM_TRY
        {
            CLmPtr<CLmObjectsEvents> events = m_Events;
            bool vetoed = false;
            if (events)
                vetoed = events->OnRemoveAt(index);
            if (!vetoed)
                DoRemoveAt(index);
            if (events)
                events->OnRemovedAt(index);
        }
        LM_END_TRY
    }

    void CLmObjects::Remove(CLmPtr<CLmObject> element)
    {
        LM_TRY
        {
            CLmPtr<CLmObjectsEvents> events = m_Events;
            bool vetoed = false;
            if (events)
                vetoed = events->OnRemove(element);
            if (!vetoed)
                DoRemove(element);
            if (events)
                events->OnRemoved(element);
        }
        LM_END_TRY
    }

    void CLmObjects::Clear()
    {
        LM_TRY
        {
            CLmPtr<CLmObjectsEvents> events = m_Events;
            bool vetoed = false;
            if (events)
                vetoed = events->OnClear();
            if (!vetoed)
            {
                ClearItems();
                DoReset();
            }
            if (events)
                events->OnCleared();
        }
        LM_END_TRY
    }

    CLmPtr<CLmObject> CLmObjects::Item(int index)
    {
        LM_TRY
        {
            CLmPtr<CLmObjectsEvents> events = m_Events;
            CLmPtr<CLmObject> result;
            if (events)
                result = events->OnGetItem(index);
            if (!result)
                result = DoGetItem(index);
            if (events)
                result = events->OnItemGot(index, result);
            return result;
        }
        LM_END_TRY
    }

    bool CLmObjects::IsEmpty()
    {
        LM_TRY
        {
            return GetCount() < 1;
        }
        LM_END_TRY
    }

    CLmGCPtr<CLmObjectsEvents> CLmObjects::GetEvents()
    {
        LM_TRY
        {
            return m_Events;
        }
        LM_END_TRY
    }

    void CLmObjects::SetEvents(CLmGCPtr<CLmObjectsEvents> events)
    {
        LM_TRY
        {
            m_Events = events;
        }
        LM_END_TRY
    }

    void CLmObjects::ClearItems()
    {
        LM_TRY
        {
            DoClear();
        }
        LM_END_TRY
    }
}
