// The C# extension of a class: its whole type text (namespace blocks, "preface" zone,
// documentation, declaration line with the base list, the members in five visibility
// groups with a zone each, "postscript" zone), and the namespaces and components that
// its superclasses and dependency suppliers come from.
#pragma once

#include "VXCSharpExtensionElement.h"

#include <vector>

class CVXCategory;
class CVXClass;
class CVXModule;
struct CVXCSharpOwner;

class CVXCSharpClass : public CVXCSharpExtensionElement
{
public:
    // "Kind" codes.
    enum TypeKind
    {
        KindNone = 0, // written as a class
        KindClass = 1,
        KindInterface = 2,
        KindStruct = 3,
        KindEnum = 4,
    };

    static LmLib::CLmPtr<CVXCSharpClass> Create(const LmLib::CLmPtr<CVXClass>& cls);

    explicit CVXCSharpClass(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& cls);
    ~CVXCSharpClass() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // Always empty.
    LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The type text, ending with a line break; empty when the class is not generated.
    LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    std::wstring GetDeclarationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option) override;
    // The components of the superclasses and dependency suppliers, each once.
    virtual std::vector<LmLib::CLmPtr<CVXModule>> GetUsedModules();
    // The namespace path of the class's logical package.
    virtual LmLib::Values::CLmBSTR GetNamespace();
    // The logical packages of the superclasses, then of the dependency suppliers, each
    // once (by unique id).
    virtual std::vector<LmLib::CLmPtr<CVXCategory>> GetUsedCategories();
    virtual LmLib::CLmPtr<CVXClass> GetClass();

    bool IsGenerated();
    TypeKind GetTypeKind();
    // "Accessibility": public 0, private 1, protected 2, internal 3, protected
    // internal 4, otherwise -1.
    int GetAccessibility();
    // "Inheritance": common 1, abstract 2, sealed 3, otherwise 0.
    int GetInheritance();
    LmLib::Values::CLmBSTR GetGuid();

    static TypeKind TypeKindOf(const std::wstring& lowerValue);
    // The name and kind of cls, as its members need them.
    static CVXCSharpOwner ReadOwner(const LmLib::CLmPtr<CVXClass>& cls);
    // Fills owner's constructor lines from the attributes of cls.
    static void ReadInitializers(const LmLib::CLmPtr<CVXClass>& cls, CVXCSharpOwner& owner);

private:
    struct Groups;
    void CollectMembers(const LmLib::CLmPtr<CVXPreservedZones>& zones, CVXCSharpOwner& owner, Groups& groups);
    std::wstring GetBaseList();
    std::wstring GetEnumBody();
};
