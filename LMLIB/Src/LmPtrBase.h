// Untyped part of the library's reference-counting smart pointers.
#pragma once

#include "LmUnknownObject.h"

namespace LmLib
{
    class CLmPtrBase
    {
    public:
        CLmPtrBase();
        explicit CLmPtrBase(Object::CLmUnknownObject* pointer);
        CLmPtrBase(const CLmPtrBase& other);
        CLmPtrBase& operator=(const CLmPtrBase& other);
        // A move hands the reference over: no count changes, so no lock either.
        CLmPtrBase(CLmPtrBase&& other) noexcept;
        CLmPtrBase& operator=(CLmPtrBase&& other);
        virtual ~CLmPtrBase();

        virtual bool IsNull() const;
        virtual Object::CLmUnknownObject* Get() const;
        // Takes a reference to pointer, then drops the one held: self-assignment is safe.
        virtual void Assign(Object::CLmUnknownObject* pointer);

    protected:
        // Hands the held reference out and leaves the pointer empty (a member pointer
        // leaves the registry first).
        virtual Object::CLmUnknownObject* Detach() noexcept;
        // Holds pointer, whose reference the caller hands over, and drops the old one.
        virtual void Adopt(Object::CLmUnknownObject* pointer);

        Object::CLmUnknownObject* m_Pointer;
    };
}
