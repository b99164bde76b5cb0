// Intrusive reference counting; the last Release destroys the object.
#pragma once

#include "LmCommonObject.h"

#include <vxplat/Types.h>

namespace LmLib
{
    class CLmGCPtrBase;
}

namespace LmLib::Object
{
    class CLmUnknownObject : public CLmCommonObject
    {
    public:
        CLmUnknownObject();
        ~CLmUnknownObject() override;

        // Drops one reference; at zero runs Destroy() and deletes the object.
        virtual LONG Release();
        virtual LONG AddRef();
        // Runs OnDestroy() under the library lock, just before the object is deleted.
        virtual void Destroy();
        // Subclasses free their resources here (handles, interfaces).
        virtual void OnDestroy();

        LONG GetRefCount() const { return m_RefCount; }

    protected:
        LONG m_RefCount;
        // Scratch counter of the cycle collector, meaningless outside a collection.
        LONG m_GCCount;

        friend class LmLib::CLmGCPtrBase;
    };
}
