// Event sink of a collection: may supply, replace or veto each operation.
#pragma once

#include "LmObject.h"

namespace LmLib::Object
{
    // The object part is a virtual base, so a sink can also be another library class.
    // A concrete sink initialises CLmObject(owner) itself.
    class CLmObjectsEvents : public virtual CLmObject
    {
    public:
        CLmObjectsEvents();
        ~CLmObjectsEvents() override;

        // A non-null result is used as the item.
        virtual CLmPtr<CLmObject> OnGetItem(int index) = 0;
        // Its result is what Item returns.
        virtual CLmPtr<CLmObject> OnItemGot(int index, CLmPtr<CLmObject> item) = 0;
        // A non-null result replaces the collection's own adding.
        virtual CLmPtr<CLmObject> OnAdd(CLmPtr<CLmObject> element) = 0;
        // Its result is what Add returns.
        virtual CLmPtr<CLmObject> OnAdded(CLmPtr<CLmObject> element, CLmPtr<CLmObject> result) = 0;
        // true vetoes the removal.
        virtual bool OnRemoveAt(int index) = 0;
        virtual bool OnRemove(CLmPtr<CLmObject> element) = 0;
        // Called after the removal, also when it was vetoed.
        virtual void OnRemovedAt(int index) = 0;
        virtual void OnRemoved(CLmPtr<CLmObject> element) = 0;
        // true vetoes the clearing.
        virtual bool OnClear() = 0;
        virtual void OnCleared() = 0;
    };
}
