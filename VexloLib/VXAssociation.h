// An association between two classes (host IRoseAssociation) and its two roles.
#pragma once

#include "VXItem.h"

class CVXRole;

class CVXAssociation : public CVXItem
{
public:
    static LmLib::CLmPtr<CVXAssociation> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXAssociation(const CVXParentPtr& parent, IDispatch* object);
    ~CVXAssociation() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseAssociation();
    virtual LmLib::CLmPtr<CVXRole> GetRole1();
    virtual LmLib::CLmPtr<CVXRole> GetRole2();
};
