#include "LmObjectsEvents.h"

namespace LmLib::Object
{
    CLmObjectsEvents::CLmObjectsEvents() = default;

    CLmObjectsEvents::~CLmObjectsEvents() = default;
}
