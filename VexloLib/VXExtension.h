// Base of every language extension object: wraps one model element (its parent) and
// knows how to write it in one language. Extensions are made afresh for every request
// and keep nothing between requests.
#pragma once

#include "LmBSTR.h"
#include "LmObject.h"
#include "LmPtr.h"

class CVXCommon;
class CVXPreservedZones;

class CVXExtension : public LmLib::Object::CLmObject
{
public:
    // parent: the element wrapper that the extension extends.
    explicit CVXExtension(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent);
    ~CVXExtension() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The text that belongs in the implementation section; empty here.
    virtual LmLib::Values::CLmBSTR GetImplementation(LmLib::CLmPtr<CVXPreservedZones> zones, long option);
    // The declaration text (for C#, the whole text of the element); empty here.
    virtual LmLib::Values::CLmBSTR GetDeclaration(LmLib::CLmPtr<CVXPreservedZones> zones, long option);
    // Runs DoGenerate().
    virtual void Generate();
    // The parent viewed as a host wrapper; empty when it is not one.
    virtual LmLib::CLmPtr<CVXCommon> GetExtendedObject();
    virtual LmLib::Values::CLmBSTR GetToolName() = 0;
    // Only the module extensions write anything (their file).
    virtual void DoGenerate();
};
