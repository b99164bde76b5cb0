// A generalisation: the client class inherits from the supplier class (host IRoseInheritRelation).
#pragma once

#include "VXClassRelation.h"

class CVXInheritRelation : public CVXClassRelation
{
public:
    static LmLib::CLmPtr<CVXInheritRelation> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXInheritRelation(const CVXParentPtr& parent, IDispatch* object);
    ~CVXInheritRelation() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseInheritRelation();
};
