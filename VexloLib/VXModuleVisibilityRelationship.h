// A dependency of a component on another component, a component package or a class
// (host IRoseModuleVisibilityRelationship).
#pragma once

#include "VXRelation.h"

class CVXModule;
class CVXSubsystem;

class CVXModuleVisibilityRelationship : public CVXRelation
{
public:
    static LmLib::CLmPtr<CVXModuleVisibilityRelationship> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXModuleVisibilityRelationship(const CVXParentPtr& parent, IDispatch* object);
    ~CVXModuleVisibilityRelationship() override;

    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    virtual CVXHostInterface GetIRoseModuleVisibilityRelationship();
    virtual LmLib::CLmPtr<CVXClass> GetContextClass();
    virtual LmLib::CLmPtr<CVXClass> GetSupplierClass();
    virtual LmLib::CLmPtr<CVXModule> GetContextModule();
    // Empty when the supplier is not a component (a package, for one).
    virtual LmLib::CLmPtr<CVXModule> GetSupplierModule();
    virtual LmLib::CLmPtr<CVXSubsystem> GetContextSubsystem();
    virtual LmLib::CLmPtr<CVXSubsystem> GetSupplierSubsystem();
};
