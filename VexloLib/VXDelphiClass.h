// The Delphi extension of a class: its type declaration (visibility sections of the
// members' declarations, heritage, kind, the class's zones) and its implementation
// (the members' method bodies), and the components its unit needs in its uses list.
#pragma once

#include "VXDelphiExtensionElement.h"

#include <memory>
#include <string>
#include <vector>

class CVXClass;
class CVXCommon;
class CVXModule;

class CVXDelphiClass : public CVXDelphiExtensionElement
{
public:
    // Class kinds of the "Kind" property.
    enum Kind
    {
        KindUnknown = 0,
        KindClass = 1,
        KindInterface = 2,
        KindDispinterface = 3,
        KindObject = 4,
        KindEnum = 5,
    };

    static LmLib::CLmPtr<CVXDelphiClass> Create(const LmLib::CLmPtr<CVXClass>& cls);

    explicit CVXDelphiClass(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& cls);
    ~CVXDelphiClass() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The method bodies of the class; empty for interfaces, enums and classes that
    // are not generated.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The type declaration; empty for a class that is not generated.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    std::wstring GetImplementationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    std::wstring GetDeclarationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The components of the superclasses, then of the dependency suppliers, each once.
    virtual std::vector<LmLib::CLmPtr<CVXModule>> GetRequiredModules();
    virtual LmLib::CLmPtr<CVXClass> GetClass();

    bool IsGenerated();
    Kind GetClassKind();
    // The kind of a lower-case "Kind" value.
    static Kind KindOf(const std::wstring& kind);
    LmLib::Values::CLmBSTR GetGuid();


private:
    struct Sections;
    struct Members;
    // What the declaration read of a generated class, for its implementation.
    struct Settings
    {
        std::wstring Kind;
    };
    // The members as both texts need them, read once per file (see CVXGenerationMemo).
    std::shared_ptr<const Members> GetMembers(const std::wstring& name, const std::wstring& id,
                                              const std::wstring& kind);
    Members ReadMembers(const std::wstring& name, const std::wstring& kind);
    static void CollectSections(const Members& members, Sections& sections);
    std::wstring GetHeritage();
};
