// The C# extension of a component package: the folder of its components.
#pragma once

#include "VXCSharpExtensionElement.h"

class CVXSubsystem;

class CVXCSharpSubsystem : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpSubsystem> Create(const LmLib::CLmPtr<CVXSubsystem>& subsystem);

    explicit CVXCSharpSubsystem(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& subsystem);
    ~CVXCSharpSubsystem() override;

    virtual LmLib::CLmPtr<CVXSubsystem> GetSubsystem();

    // The output folder of the package's components, from its "C#" "Directory" (see
    // CVXModuleOutput).
    LmLib::Values::CLmBSTR GetDirectory();
};
