// A class of the model (host IRoseClass). A class wrapper exists even without a host
// object.
#pragma once

#include "VXItem.h"

#include "LmBSTR.h"

class CVXModuleCollection;
class CVXOperationCollection;
class CVXParameterCollection;
class CVXAttributeCollection;
class CVXInheritRelationCollection;
class CVXClassDependencyCollection;
class CVXHasRelationshipCollection;
class CVXRoleCollection;
class CVXCategory;

class CVXClass : public CVXItem
{
public:
    // Beyond this many steps a walk over inherit relations or class dependencies is
    // taken to be going round a cycle of the model.
    static constexpr LONG MaxRelationSteps = 500;

    static LmLib::CLmPtr<CVXClass> Create(const CVXParentPtr& parent, IDispatch* object);

    CVXClass(const CVXParentPtr& parent, IDispatch* object);
    ~CVXClass() override;

    // Always true.
    bool Initialize(CVXParentPtr parent) override;
    // The "Delphi" or "C#" extension; empty for any other language.
    LmLib::CLmPtr<CVXExtension> GetExtension(const LmLib::Values::CLmBSTR& language) override;
    // Generates each component the class is assigned to, in the class's list order.
    void DoGenerate(const LmLib::Values::CLmBSTR& language) override;

    virtual LmLib::CLmPtr<CVXModuleCollection> GetAssignedModules();
    virtual LmLib::CLmPtr<CVXOperationCollection> GetOperations();
    // The class's own formal parameters.
    virtual LmLib::CLmPtr<CVXParameterCollection> GetParameters();
    virtual LmLib::CLmPtr<CVXAttributeCollection> GetAttributes();
    virtual LmLib::CLmPtr<CVXInheritRelationCollection> GetInheritRelations();
    virtual LmLib::CLmPtr<CVXClassDependencyCollection> GetClassDependencies();
    // True when other is reached through inherit relations. counter counts the steps
    // of the whole walk; the walk stops once it is above MaxRelationSteps.
    virtual bool InheritsFrom(const LmLib::CLmPtr<CVXClass>& other, LONG& counter);
    virtual bool InheritsFrom(const LmLib::CLmPtr<CVXClass>& other);
    // True when other is reached through class dependencies. A walk that goes above
    // MaxRelationSteps steps tells the user ("Recursive") and answers false.
    virtual bool DependsOn(const LmLib::CLmPtr<CVXClass>& other, LONG& counter);
    virtual bool DependsOn(const LmLib::CLmPtr<CVXClass>& other);
    virtual bool IsInheritedBy(const LmLib::CLmPtr<CVXClass>& other);
    virtual bool IsDependedOnBy(const LmLib::CLmPtr<CVXClass>& other);
    virtual LmLib::CLmPtr<CVXHasRelationshipCollection> GetHasRelations();
    virtual LmLib::CLmPtr<CVXRoleCollection> GetRoles();
    // The roles at the far ends of the class's associations.
    virtual LmLib::CLmPtr<CVXRoleCollection> GetAssociateRoles();
    virtual CVXHostInterface GetIRoseClass();
    virtual LmLib::Values::CLmBSTR GetAssignedLanguage();
    virtual LmLib::CLmPtr<CVXCategory> GetParentCategory();
    virtual bool HasInheritRelations();
};
