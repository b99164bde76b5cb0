#include "LmPtrBase.h"

#include "LmLock.h"
#include "LmTranslate.h"

namespace LmLib
{
    CLmPtrBase::CLmPtrBase() : m_Pointer(nullptr)
    {
    }

    CLmPtrBase::CLmPtrBase(Object::CLmUnknownObject* pointer) : m_Pointer(pointer)
    {
        LM_TRY
        {
            CLmLock lock;
            if (m_Pointer)
                m_Pointer->AddRef();
        }
        LM_END_TRY
    }

    CLmPtrBase::CLmPtrBase(const CLmPtrBase& other) : CLmPtrBase(other.Get())
    {
    }

    CLmPtrBase::CLmPtrBase(CLmPtrBase&& other) noexcept : m_Pointer(other.Detach())
    {
    }

    CLmPtrBase& CLmPtrBase::operator=(CLmPtrBase&& other)
    {
        LM_TRY
        {
            if (this != &other)
                Adopt(other.Detach());
            return *this;
        }
        LM_END_TRY
    }

    Object::CLmUnknownObject* CLmPtrBase::Detach() noexcept
    {
        Object::CLmUnknownObject* pointer = m_Pointer;
        m_Pointer = nullptr;
        return pointer;
    }

    void CLmPtrBase::Adopt(Object::CLmUnknownObject* pointer)
    {
        LM_TRY
        {
            // As in Assign: store first, release last.
            Object::CLmUnknownObject* old = m_Pointer;
            m_Pointer = pointer;
            if (old)
                old->Release();
        }
        LM_END_TRY
    }

    CLmPtrBase& CLmPtrBase::operator=(const CLmPtrBase& other)
    {
        LM_TRY
        {
            Assign(other.Get());
            return *this;
        }
        LM_END_TRY
    }

    CLmPtrBase::~CLmPtrBase()
    {
        // A destructor cannot pass an error on; the count is dropped all the same.
        try
        {
            CLmLock lock;
            if (m_Pointer)
                m_Pointer->Release();
        }
        catch (...)
        {
        }
        m_Pointer = nullptr;
    }

    bool CLmPtrBase::IsNull() const
    {
        LM_TRY
        {
            CLmLock lock;
            return Get() == nullptr;
        }
        LM_END_TRY
    }

    Object::CLmUnknownObject* CLmPtrBase::Get() const
    {
        return m_Pointer;
    }

    void CLmPtrBase::Assign(Object::CLmUnknownObject* pointer)
    {
        LM_TRY
        {
            CLmLock lock;
            if (pointer)
                pointer->AddRef();
            // Store first: releasing the old object may destroy the object this pointer
            // is a member of, so nothing touches the pointer after the release.
            Object::CLmUnknownObject* old = m_Pointer;
            m_Pointer = pointer;
            if (old)
                old->Release();
        }
        LM_END_TRY
    }
}
