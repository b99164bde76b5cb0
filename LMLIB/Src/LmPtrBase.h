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
        virtual ~CLmPtrBase();

        virtual bool IsNull() const;
        virtual Object::CLmUnknownObject* Get() const;
        // Takes a reference to pointer, then drops the one held: self-assignment is safe.
        virtual void Assign(Object::CLmUnknownObject* pointer);

    protected:
        Object::CLmUnknownObject* m_Pointer;
    };
}
