// The C# extension of a class relation; it only gives access to the relation.
#pragma once

#include "VXCSharpExtensionElement.h"

class CVXClassRelation;

class CVXCSharpClassRelation : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpClassRelation> Create(const LmLib::CLmPtr<CVXClassRelation>& relation);

    explicit CVXCSharpClassRelation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXCSharpClassRelation() override;

    virtual LmLib::CLmPtr<CVXClassRelation> GetClassRelation();
};
