// The C# extension of a component: writes its ".cs" file (the "suses" zone, the using
// lines of the namespaces its classes need, and the classes' types), with the user's
// code of the old file carried over in its preserved zones.
#pragma once

#include "VXCSharpExtensionElement.h"

#include <vector>

class CVXCategory;
class CVXModule;

class CVXCSharpModule : public CVXCSharpExtensionElement
{
public:
    static LmLib::CLmPtr<CVXCSharpModule> Create(const LmLib::CLmPtr<CVXModule>& module);

    explicit CVXCSharpModule(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& module);
    ~CVXCSharpModule() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // Always empty.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The whole file text; logs "[Code generation]" and a line per class. Empty when
    // "GenerateCode" is not true.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    std::wstring GetDeclarationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // Builds the file text and replaces the file (nothing when "GenerateCode" is not
    // true). Raises "Can't create file %s" when the file cannot be written.
    void DoGenerate() override;
    // The other components that hold the classes this one's classes use, each once.
    virtual std::vector<LmLib::CLmPtr<CVXModule>> GetUsedModules();
    // The logical packages of the classes this one's classes use, each once.
    virtual std::vector<LmLib::CLmPtr<CVXCategory>> GetUsedCategories();
    // The name and ".cs".
    virtual LmLib::Values::CLmBSTR GetFileName();
    virtual LmLib::CLmPtr<CVXModule> GetModule();
    // The folder of the component's package, "\" and the file name.
    virtual LmLib::Values::CLmBSTR GetFilePath();

    bool IsGenerated();
};
