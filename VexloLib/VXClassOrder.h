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
    // The classes assigned to the component, in exchange order. Each pair is tested
    // as CVXClass::InheritsFrom, then CVXClass::DependsOn would test it (same answers,
    // same step counts, same "Recursive" messages in the same order), but every class's
    // unique id and relations are asked of the host once per call instead of once per
    // step: the pairwise walks would otherwise cost a host round trip per step, cubic in
    // the classes of a component. What was read dies with the call.
    static std::vector<LmLib::CLmPtr<CVXClass>> GetOrderedClasses(const LmLib::CLmPtr<CVXModule>& module);
};
