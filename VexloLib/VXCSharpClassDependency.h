// The C# extension of a class dependency. The using lines come from the
// class extension; this one only gives access to the relation.
#pragma once

#include "VXCSharpClassRelation.h"

class CVXClassDependency;

class CVXCSharpClassDependency : public CVXCSharpClassRelation
{
public:
    static LmLib::CLmPtr<CVXCSharpClassDependency> Create(const LmLib::CLmPtr<CVXClassDependency>& relation);

    explicit CVXCSharpClassDependency(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXCSharpClassDependency() override;

    virtual LmLib::CLmPtr<CVXClassDependency> GetClassDependency();
};
