// The Delphi extension of an inherit relation. The heritage of a class is written by the
// class extension; this one only gives access to the relation.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXInheritRelation;

class CVXDelphiInheritRelation : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiInheritRelation> Create(const LmLib::CLmPtr<CVXInheritRelation>& relation);

    explicit CVXDelphiInheritRelation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXDelphiInheritRelation() override;

    virtual LmLib::CLmPtr<CVXInheritRelation> GetInheritRelation();
};
