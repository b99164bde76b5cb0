// Collection that stores its elements.
#pragma once

#include "LmObjects.h"

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace LmLib::Object
{
    // Allocator that makes every element constructed inside a vector (by insertion or
    // by copying while it grows) a member pointer of the owning collection, so that the
    // cycle collector sees collection-to-element references.
    template <class T>
    class CLmOwnedAllocator
    {
    public:
        using value_type = T;

        explicit CLmOwnedAllocator(CLmUnknownObject* owner = nullptr) noexcept : m_OwnerObject(owner) {}
        template <class U>
        CLmOwnedAllocator(const CLmOwnedAllocator<U>& other) noexcept : m_OwnerObject(other.GetOwnerObject())
        {
        }

        T* allocate(std::size_t count) { return static_cast<T*>(::operator new(count * sizeof(T))); }
        void deallocate(T* pointer, std::size_t) noexcept { ::operator delete(pointer); }

        template <class U, class... Args>
        void construct(U* place, Args&&... args)
        {
            ::new (static_cast<void*>(place)) U(m_OwnerObject, std::forward<Args>(args)...);
        }

        CLmUnknownObject* GetOwnerObject() const noexcept { return m_OwnerObject; }

        template <class U>
        bool operator==(const CLmOwnedAllocator<U>& other) const noexcept
        {
            return m_OwnerObject == other.GetOwnerObject();
        }

    private:
        CLmUnknownObject* m_OwnerObject;
    };

    class CLmDynamicObjects : public CLmObjects
    {
    public:
        using CLmItems = std::vector<CLmGCPtr<CLmObject>, CLmOwnedAllocator<CLmGCPtr<CLmObject>>>;

        explicit CLmDynamicObjects(const CLmPtr<CLmRefsObject>& owner);
        ~CLmDynamicObjects() override;

        static CLmPtr<CLmDynamicObjects> Create(CLmPtr<CLmRefsObject> owner);

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;
        int GetCount() override;

    protected:
        CLmPtr<CLmObject> DoGetItem(int index) override;
        void DoReset() override;
        CLmPtr<CLmObject> DoAdd(CLmPtr<CLmObject> element) override;
        void DoRemoveAt(int index) override;
        void DoRemove(CLmPtr<CLmObject> element) override;
        void DoClear() override;

        CLmItems m_Items;
    };
}
