// Abstract index-based collection of library objects.
#pragma once

#include "LmObject.h"
#include "LmObjectsEvents.h"

namespace LmLib::Object
{
    // Public operations route through the optional event sink and then through the
    // protected Do... operations that each kind of collection implements. Indices
    // count from 0.
    class CLmObjects : public CLmObject
    {
    public:
        explicit CLmObjects(const CLmPtr<CLmRefsObject>& owner);
        ~CLmObjects() override;

        void Destroy() override;
        bool Initialize(CLmPtr<CLmRefsObject> owner) override = 0;

        virtual CLmPtr<CLmObject> Add(CLmPtr<CLmObject> element);
        virtual void RemoveAt(int index);
        virtual void Remove(CLmPtr<CLmObject> element);
        virtual void Clear();
        virtual CLmPtr<CLmObject> Item(int index);

    protected:
        virtual CLmPtr<CLmObject> DoGetItem(int index) = 0;
        // Second step of clearing.
        virtual void DoReset() = 0;
        virtual CLmPtr<CLmObject> DoAdd(CLmPtr<CLmObject> element) = 0;
        virtual void DoRemoveAt(int index) = 0;
        virtual void DoRemove(CLmPtr<CLmObject> element) = 0;

    public:
        virtual bool IsEmpty();
        virtual int GetCount() = 0;
        virtual CLmGCPtr<CLmObjectsEvents> GetEvents();
        virtual void SetEvents(CLmGCPtr<CLmObjectsEvents> events);
        virtual void ClearItems();

    protected:
        virtual void DoClear() = 0;

        CLmGCPtr<CLmObjectsEvents> m_Events;
    };
}
