// The Delphi extension of a logical package. Logical packages take no part in the
// Delphi texts; the extension only gives access to the package.
#pragma once

#include "VXDelphiExtension.h"

class CVXCategory;

class CVXDelphiCategory : public CVXDelphiExtension
{
public:
    static LmLib::CLmPtr<CVXDelphiCategory> Create(const LmLib::CLmPtr<CVXCategory>& category);

    explicit CVXDelphiCategory(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& category);
    ~CVXDelphiCategory() override;

    virtual LmLib::CLmPtr<CVXCategory> GetCategory();
};
