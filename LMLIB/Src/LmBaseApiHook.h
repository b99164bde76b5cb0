// The interface through which a hook on a system function is put in place and
// taken away again.
#pragma once

#include "LmObject.h"

namespace LmLib::Hook
{
    // The two operations every hook offers.
    class ILmApiHook
    {
    public:
        virtual ~ILmApiHook() = default;
        virtual bool Install() = 0;
        virtual bool Remove() = 0;
    };

    // The object part is a virtual base: a concrete hook initialises CLmObject(owner)
    // itself.
    class CLmBaseApiHook : public ILmApiHook, public virtual Object::CLmObject
    {
    public:
        CLmBaseApiHook();
        ~CLmBaseApiHook() override;
    };
}
