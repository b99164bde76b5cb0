// Base of every concrete class of the library and the add-in.
#pragma once

#include "LmRefsObject.h"

namespace LmLib::Object
{
    class CLmObject : public CLmRefsObject
    {
    public:
        explicit CLmObject(const CLmPtr<CLmRefsObject>& owner = CLmPtr<CLmRefsObject>());
        ~CLmObject() override;

        bool Initialize(CLmPtr<CLmRefsObject> owner) override;
    };
}
