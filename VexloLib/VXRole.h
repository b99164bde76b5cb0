// One end of an association (host IRoseRole): the class at this end is the role's
// supplier, the class at the other end its context.
#pragma once

#include "VXRelation.h"
#include "VXRichType.h"

#include "LmBSTR.h"

class CVXAssociation;

class CVXRole : public CVXRelation
{
public:
    static LmLib::CLmPtr<CVXRole> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXRole(const CVXParentPtr& parent, IDispatch* object);
    ~CVXRole() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;
    LmLib::CLmPtr<CVXClass> GetSupplier() override;
    LmLib::CLmPtr<CVXClass> GetContext() override;

    virtual CVXHostInterface GetIRoseRole();
    virtual LmLib::Values::CLmBSTR GetCardinality();
    virtual LmLib::Values::CLmBSTR GetConstraints();
    // The host's booleans: any value other than 0 is true.
    virtual bool IsAggregate();
    // The class at this end.
    virtual LmLib::CLmPtr<CVXClass> GetClass();
    virtual bool IsFriend();
    virtual bool IsNavigable();
    virtual LmLib::CLmPtr<CVXRichType> GetContainment();
    virtual LmLib::CLmPtr<CVXRichType> GetExportControl();
    virtual LmLib::CLmPtr<CVXAssociation> GetAssociation();
    // The visibility code of the export control (see CVXRichType).
    virtual LONG GetVisibility();
};
