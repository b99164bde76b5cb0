#include "LmRegObject.h"

namespace LmLib::Registry
{
    CLmRegObject::CLmRegObject(const CLmPtr<CLmRefsObject>& owner) : CLmObject(owner)
    {
    }

    CLmRegObject::~CLmRegObject() = default;
}
