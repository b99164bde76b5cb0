// A component of the model (host IRoseModule): one source file. A component wrapper
// exists even without a host object.
#pragma once

#include "VXItem.h"

#include "LmBSTR.h"

class CVXClassCollection;
class CVXModuleVisibilityRelationshipCollection;
class CVXSubsystem;

class CVXModule : public CVXItem
{
public:
    static LmLib::CLmPtr<CVXModule> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXModule(const CVXParentPtr& parent, IDispatch* object);
    ~CVXModule() override;

    // Always true.
    bool Initialize(CVXParentPtr parent) override;
    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;

    // The classes assigned to this component.
    virtual LmLib::CLmPtr<CVXClassCollection> GetAssignedClasses();
    virtual LmLib::CLmPtr<CVXModuleVisibilityRelationshipCollection> GetDependencies();
    virtual LmLib::Values::CLmBSTR GetAssignedLanguage();
    virtual void SetAssignedLanguage(const LmLib::Values::CLmBSTR& language);
    virtual CVXHostInterface GetIRoseModule();
    virtual LmLib::CLmPtr<CVXSubsystem> GetParentSubsystem();
};
