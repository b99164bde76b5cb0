// Base of the registry wrappers.
#pragma once

#include "LmBSTR.h"
#include "LmObject.h"

#include <vxplat/Registry.h>

namespace LmLib::Registry
{
    using Object::CLmObject;
    using Object::CLmRefsObject;
    using Values::CLmBSTR;

    class CLmRegObject : public CLmObject
    {
    public:
        explicit CLmRegObject(const CLmPtr<CLmRefsObject>& owner);
        ~CLmRegObject() override;
    };
}
