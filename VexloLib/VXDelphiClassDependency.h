// The Delphi extension of a class dependency. Uses lists and declaration order come from
// the class and module extensions; this one only gives access to the relation.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXClassDependency;

class CVXDelphiClassDependency : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiClassDependency> Create(const LmLib::CLmPtr<CVXClassDependency>& relation);

    explicit CVXDelphiClassDependency(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& relation);
    ~CVXDelphiClassDependency() override;

    virtual LmLib::CLmPtr<CVXClassDependency> GetClassDependency();
};
