// Lets an object outside the chain (a COM object) keep one library object alive.
#pragma once

#include "LmObject.h"

namespace LmLib::Object
{
    class CLmContainerObject
    {
    public:
        CLmContainerObject();
        explicit CLmContainerObject(const CLmPtr<CLmObject>& object);
        virtual ~CLmContainerObject();

        virtual CLmPtr<CLmObject> GetObject();
        virtual void SetObject(CLmPtr<CLmObject> object);

    protected:
        CLmPtr<CLmObject> m_Object;
    };
}
