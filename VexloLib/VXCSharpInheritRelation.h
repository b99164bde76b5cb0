// The C# extension of an inherit relation. The base list of a type is written
// by the class extension; this one only gives access to the relation.
#pragma once

#include "VXCSharpClassRelation.h"

class CVXInheritRelation;

class CVXCSharpInheritRelation : public CVXCSharpClassRelation
{
public:
    static LmLib::CLmPtr<CVXCSharpInheritRelation> Create(const LmLib::CLmPtr<CVXInheritRelation>& relation);

    explicit CVXCSharpInheritRelation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXCSharpInheritRelation() override;

    virtual LmLib::CLmPtr<CVXInheritRelation> GetInheritRelation();
};
