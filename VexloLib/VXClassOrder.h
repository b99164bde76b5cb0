// The order in which a component's classes are written, the same for every language:
// the host's order, then a class that needs a later one changes places with it, so
// that superclasses and dependency suppliers usually come first.
#pragma once

#include "LmPtr.h"

#include <vector>

class CVXClass;
class CVXModule;

class CVXClassOrder
{
public:
    // The classes assigned to the component, in exchange order.
    static std::vector<LmLib::CLmPtr<CVXClass>> GetOrderedClasses(const LmLib::CLmPtr<CVXModule>& module);
};
