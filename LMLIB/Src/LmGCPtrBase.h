// Smart pointer that registers object-to-object references for the cycle collector.
#pragma once

#include "LmPtrBase.h"

#include <cstddef>

namespace LmLib
{
    // A pointer that is a member of a library object (its owner) and holds a target is
    // kept in one process-wide registry. The collector runs over that registry and
    // reclaims objects that are reachable only from inside reference cycles.
    class CLmGCPtrBase : public CLmPtrBase
    {
    public:
        CLmGCPtrBase();
        CLmGCPtrBase(Object::CLmUnknownObject* owner, Object::CLmUnknownObject* target);
        // A copy is not a member of anything: it has no owner and is not registered.
        CLmGCPtrBase(const CLmGCPtrBase& other);
        // Assignment changes the target only; the owner stays.
        CLmGCPtrBase& operator=(const CLmGCPtrBase& other);
        // A moved pointer is, like a copy, not a member of anything; the source leaves
        // the registry and is empty afterwards.
        CLmGCPtrBase(CLmGCPtrBase&& other) noexcept;
        CLmGCPtrBase& operator=(CLmGCPtrBase&& other);
        ~CLmGCPtrBase() override;

        Object::CLmUnknownObject* Get() const override;
        void Assign(Object::CLmUnknownObject* pointer) override;

        Object::CLmUnknownObject* GetOwnerObject() const { return m_OwnerObject; }

        static DWORD GetCollectThreshold();
        static void SetCollectThreshold(DWORD threshold);
        static DWORD GetCollectTimeLimit();
        static void SetCollectTimeLimit(DWORD milliseconds);
        static DWORD GetCollectInterval();
        static void SetCollectInterval(DWORD milliseconds);
        // Number of registered pointers.
        static size_t GetRegisteredCount();

        // Trial-deletion collection; true only when it ran to the end.
        static bool Collect();
        // Writes every registered reference to the debugger output and standard output.
        static void DumpReferences();

    protected:
        Object::CLmUnknownObject* Detach() noexcept override;
        void Adopt(Object::CLmUnknownObject* pointer) override;

        Object::CLmUnknownObject* m_OwnerObject;

    private:
        struct Walk;

        void Register();
        void Unregister();
        static bool Mark(const Walk& walk, Object::CLmUnknownObject* object, DWORD start);
        static bool Expired(DWORD start);

        // Registry membership: a link in an unordered list (O(1) in and out, nothing
        // allocated); walks take an address-ordered snapshot, in which m_Slot is this
        // pointer's place so that leaving the registry mid-walk clears it.
        CLmGCPtrBase* m_Prev = nullptr;
        CLmGCPtrBase* m_Next = nullptr;
        size_t m_Slot = 0;
        bool m_Registered = false;

        static DWORD s_CollectThreshold;
        static DWORD s_CollectTimeLimit;
        static DWORD s_CollectInterval;
        static DWORD s_LastCollect;
        // The registry: every registered pointer, linked in no particular order.
        static CLmGCPtrBase* s_First;
        static size_t s_Count;
        // The innermost walk under way (a collection can start inside another one, when
        // a cut registers a pointer at the threshold).
        static Walk* s_Walk;
    };
}
