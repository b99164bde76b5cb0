// Typed reference-counting smart pointer.
#pragma once

#include "LmPtrBase.h"
#include "LmTypedCast.h"

#include <cstddef>

namespace LmLib
{
    // Holds any library object; typed access goes through the object's dynamic type,
    // so a pointer whose object is not a T reads as null instead of failing.
    template <class T>
    class CLmPtr : public CLmPtrBase
    {
    public:
        CLmPtr() = default;
        CLmPtr(std::nullptr_t) {}
        CLmPtr(T* pointer) : CLmPtrBase(ToUnknown(pointer)) {}
        CLmPtr(const CLmPtr& other) : CLmPtrBase(other.Get()) {}
        // From a pointer of any other type (CLmPtr<U> or CLmGCPtr<U>).
        CLmPtr(const CLmPtrBase& other) : CLmPtrBase(other.Get()) {}
        // Moves hand the reference over without touching the count.
        CLmPtr(CLmPtr&& other) noexcept : CLmPtrBase(static_cast<CLmPtrBase&&>(other)) {}
        template <class U>
        CLmPtr(CLmPtr<U>&& other) noexcept : CLmPtrBase(static_cast<CLmPtrBase&&>(other))
        {
        }

        CLmPtr& operator=(const CLmPtr& other)
        {
            Assign(other.Get());
            return *this;
        }
        CLmPtr& operator=(const CLmPtrBase& other)
        {
            Assign(other.Get());
            return *this;
        }
        CLmPtr& operator=(CLmPtr&& other)
        {
            CLmPtrBase::operator=(static_cast<CLmPtrBase&&>(other));
            return *this;
        }
        template <class U>
        CLmPtr& operator=(CLmPtr<U>&& other)
        {
            CLmPtrBase::operator=(static_cast<CLmPtrBase&&>(other));
            return *this;
        }
        CLmPtr& operator=(T* pointer)
        {
            Assign(ToUnknown(pointer));
            return *this;
        }
        CLmPtr& operator=(std::nullptr_t)
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
