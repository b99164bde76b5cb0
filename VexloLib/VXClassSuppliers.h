// The classes that a class needs, the same for every language: its superclasses
// (inherit relations) in host order, then its dependency suppliers (class
// dependencies) in host order; relations whose far end is missing are skipped. And
// the components those classes are assigned to, each once.
#pragma once

#include "LmPtr.h"

#include <vector>

class CVXClass;
class CVXModule;

class CVXClassSuppliers
{
public:
    static std::vector<LmLib::CLmPtr<CVXClass>> GetSupplierClasses(const LmLib::CLmPtr<CVXClass>& cls);
    // Distinct by unique id, in order of first appearance.
    static std::vector<LmLib::CLmPtr<CVXModule>> GetSupplierModules(const LmLib::CLmPtr<CVXClass>& cls);
};
