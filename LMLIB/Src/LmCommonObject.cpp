#include "LmCommonObject.h"

namespace LmLib::Object
{
    CLmCommonObject::~CLmCommonObject() = default;
}
