// The Delphi extension of a component: writes its unit (".pas"), program or library
// (".dpr") or package (".dpk"), with the user's code of the old file carried over in
// its preserved zones.
#pragma once

#include "VXDelphiExtensionElement.h"

#include <string>
#include <vector>

class CVXClass;
class CVXModule;

class CVXDelphiModule : public CVXDelphiExtensionElement
{
public:
    // Component kinds of the "ComponentKind" property.
    enum ComponentKind
    {
        KindUnknown = 0,
        KindLibrary = 1,
        KindProgram = 2,
        KindUnit = 3,
        KindPackage = 4,
    };

    static LmLib::CLmPtr<CVXDelphiModule> Create(const LmLib::CLmPtr<CVXModule>& module);

    explicit CVXDelphiModule(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& module);
    ~CVXDelphiModule() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The part after the interface part: a unit's implementation section, a program's
    // body.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // A unit's interface section, a program's uses and resources; logs each class.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    std::wstring GetImplementationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    std::wstring GetDeclarationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // Builds the file text and replaces the file (nothing when "GenerateCode" is not
    // true). Raises "Can't create file %s" when the file cannot be written.
    void DoGenerate() override;
    // The components whose units the classes of this one need, each once.
    virtual std::vector<LmLib::CLmPtr<CVXModule>> GetUsedModules();
    // The name with ".pas", ".dpr" or ".dpk"; the name alone for an unknown kind.
    virtual LmLib::Values::CLmBSTR GetFileName();
    virtual LmLib::CLmPtr<CVXModule> GetModule();
    // The folder of the component's package, "\" and the file name.
    virtual LmLib::Values::CLmBSTR GetFilePath();
    virtual LmLib::Values::CLmBSTR GetDefaultProgramBody();
    virtual LmLib::Values::CLmBSTR GetAdditionalIncludes();

    bool IsGenerated();
    ComponentKind GetComponentKind();

    // The whole file text for the given zones (what DoGenerate writes).
    std::wstring BuildText(const LmLib::CLmPtr<CVXPreservedZones>& zones);

    // The component's classes, superclasses and dependency suppliers first.
    std::vector<LmLib::CLmPtr<CVXClass>> GetOrderedClasses();

private:
    void WriteLog(const LmLib::Values::CLmBSTR& text);
    // text += the declaration or implementation part, ended at its first terminator as a
    // host string of it would be; slack: room to keep for what follows the part.
    void AppendDeclaration(std::wstring& text, const LmLib::CLmPtr<CVXPreservedZones>& zones, size_t slack);
    void AppendImplementation(std::wstring& text, const LmLib::CLmPtr<CVXPreservedZones>& zones, size_t slack);
    static void EndAtTerminator(std::wstring& text, size_t start);
};
