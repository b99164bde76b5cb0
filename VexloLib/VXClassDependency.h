// A dependency of one class on another (host IRoseClassDependency).
#pragma once

#include "VXClassRelation.h"

class CVXClassDependency : public CVXClassRelation
{
public:
    static LmLib::CLmPtr<CVXClassDependency> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXClassDependency(const CVXParentPtr& parent, IDispatch* object);
    ~CVXClassDependency() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseClassDependency();
};
