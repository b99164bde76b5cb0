#include "LmBaseApiHook.h"

namespace LmLib::Hook
{
    CLmBaseApiHook::CLmBaseApiHook() = default;

    CLmBaseApiHook::~CLmBaseApiHook() = default;
}
