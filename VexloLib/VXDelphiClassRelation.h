// The Delphi extension of a class relation; it only gives access to the relation.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXClassRelation;

class CVXDelphiClassRelation : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiClassRelation> Create(const LmLib::CLmPtr<CVXClassRelation>& relation);

    explicit CVXDelphiClassRelation(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXDelphiClassRelation() override;

    virtual LmLib::CLmPtr<CVXClassRelation> GetClassRelation();
};
