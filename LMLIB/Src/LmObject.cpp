#include "LmObject.h"

namespace LmLib::Object
{
    CLmObject::CLmObject(const CLmPtr<CLmRefsObject>& owner) : CLmRefsObject(owner)
    {
    }

    CLmObject::~CLmObject() = default;

    bool CLmObject::Initialize(CLmPtr<CLmRefsObject>)
    {
        return true;
    }
}
