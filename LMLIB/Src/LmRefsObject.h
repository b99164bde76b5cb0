// Reference-counted object that knows its owner (the object that created it).
#pragma once

#include "LmGCPtr.h"
#include "LmPtr.h"
#include "LmUnknownObject.h"

#include <utility>

namespace LmLib::Object
{
    class CLmRefsObject : public CLmUnknownObject
    {
    public:
        explicit CLmRefsObject(const CLmPtr<CLmRefsObject>& owner = CLmPtr<CLmRefsObject>());
        ~CLmRefsObject() override;

        void Destroy() override;

        // Cuts every owner link from the root down to this object, the highest first.
        virtual void ReleaseOwnerChain();
        // Drops the link to the owner.
        virtual void ReleaseOwner();
        // Second construction step; false makes Create hand back a null pointer.
        virtual bool Initialize(CLmPtr<CLmRefsObject> owner);

        CLmPtr<CLmRefsObject> GetOwner() const;

    protected:
        CLmGCPtr<CLmRefsObject> m_Owner;
    };
}

namespace LmLib
{
    // The creation idiom behind every class's static Create(owner, ...): construct
    // (count 1), hold (count 2), Initialize, drop the construction reference. A failed
    // Initialize yields null and the object is destroyed.
    template <class T, class... Args>
    CLmPtr<T> LmCreateObject(const CLmPtr<Object::CLmRefsObject>& owner, Args&&... args)
    {
        T* object = new T(owner, std::forward<Args>(args)...);
        CLmPtr<T> result(object);
        bool initialized = false;
        try
        {
            initialized = object->Initialize(owner);
        }
        catch (...)
        {
            result = nullptr;
            object->Release();
            throw;
        }
        if (!initialized)
            result = nullptr;
        object->Release();
        return result;
    }
}
