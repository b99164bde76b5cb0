// The Delphi extension of a component package: the folder of its components.
#pragma once

#include "VXDelphiExtensionElement.h"

class CVXSubsystem;

class CVXDelphiSubsystem : public CVXDelphiExtensionElement
{
public:
    static LmLib::CLmPtr<CVXDelphiSubsystem> Create(const LmLib::CLmPtr<CVXSubsystem>& subsystem);

    explicit CVXDelphiSubsystem(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& subsystem);
    ~CVXDelphiSubsystem() override;

    virtual LmLib::CLmPtr<CVXSubsystem> GetSubsystem();

    // The output folder of the package's components: its "Directory" property, where
    // "AUTO GENERATE" is the parent's folder and the package's name below it, and "."
    // is the parent's folder (the top package takes the model's folder).
    LmLib::Values::CLmBSTR GetDirectory();
};
