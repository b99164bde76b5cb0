// Typed smart pointer for references that the cycle collector must see.
#pragma once

#include "LmGCPtrBase.h"
#include "LmTypedCast.h"

namespace LmLib
{
    // A member pointer of a library object: its constructor is passed the object it is
    // a member of (usually `this`). Typed access as in CLmPtr.
    template <class T>
    class CLmGCPtr : public CLmGCPtrBase
    {
    public:
        CLmGCPtr() = default;
        CLmGCPtr(std::nullptr_t) {}
        explicit CLmGCPtr(Object::CLmUnknownObject* owner) : CLmGCPtrBase(owner, nullptr) {}
        CLmGCPtr(Object::CLmUnknownObject* owner, T* target) : CLmGCPtrBase(owner, ToUnknown(target)) {}
        CLmGCPtr(Object::CLmUnknownObject* owner, const CLmPtrBase& target) : CLmGCPtrBase(owner, target.Get()) {}
        CLmGCPtr(Object::CLmUnknownObject* owner, std::nullptr_t) : CLmGCPtrBase(owner, nullptr) {}
        CLmGCPtr(const CLmGCPtr& other) : CLmGCPtrBase(other) {}
        CLmGCPtr(CLmGCPtr&& other) noexcept : CLmGCPtrBase(static_cast<CLmGCPtrBase&&>(other)) {}
        // An unowned copy of any other pointer.
        CLmGCPtr(const CLmPtrBase& other) : CLmGCPtrBase(nullptr, other.Get()) {}

        CLmGCPtr& operator=(const CLmGCPtr& other)
        {
            Assign(other.Get());
            return *this;
        }
        CLmGCPtr& operator=(CLmGCPtr&& other)
        {
            CLmGCPtrBase::operator=(static_cast<CLmGCPtrBase&&>(other));
            return *this;
        }
        // Takes over the reference of any other pointer.
        CLmGCPtr& operator=(CLmPtrBase&& other)
        {
            CLmPtrBase::operator=(static_cast<CLmPtrBase&&>(other));
            return *this;
        }
        CLmGCPtr& operator=(const CLmPtrBase& other)
        {
            Assign(other.Get());
            return *this;
        }
        CLmGCPtr& operator=(T* pointer)
        {
            Assign(ToUnknown(pointer));
            return *this;
        }
        CLmGCPtr& operator=(std::nullptr_t)
        {
            Assign(nullptr);
            return *this;
        }

        T* GetTyped() const { return LmTypedCast<T>(Get()); }
        T* operator->() const { return GetTyped(); }
        T& operator*() const { return *GetTyped(); }
        operator T*() const { return GetTyped(); }

    private:
        static Object::CLmUnknownObject* ToUnknown(T* pointer) { return pointer; }
    };
}
