// The in-memory Rose model that the host stand-in serves to the add-in.
//
// Plain C++ data, no COM: the automation objects wrap these structures. The model owns
// every element (RoseModel::elements); elements point at each other with plain,
// non-owning pointers that stay valid as long as the RoseModel lives. Every element
// carries its kind, name, unique id (quid), documentation, stereotype, its own tool
// properties and its owner.
//
// Conventions taken from the model files Rose writes:
// - Export control is numbered as the host's rich type does: PublicAccess=0,
//   ProtectedAccess=1, PrivateAccess=2, ImplementationAccess=3. A petal file leaves out
//   a value equal to Rose's default: Private for attributes, Public for everything else
//   (classes, operations, roles, relations, packages).
// - Multi-line text (documentation, "(value Text ...)" properties) joins its lines with
//   CR LF, as the Windows host hands it out.
// - A name written as "$UNNAMED$<n>" (Rose's placeholder) is read as empty; the name of
//   a role is its "label".
// - Parameters have no quid in the file; each one gets "<owner quid>-P<index>" (index from
//   1 in file order), which is stable from one load to the next.
#pragma once

#include <cstdint>
#include <functional>
#include <cstddef>
#include <map>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ModelText.h"

namespace RoseHost {

class DefaultSetIndex;

enum class ElementKind {
    Model,
    Category,         // logical package (Class_Category)
    Subsystem,        // component package (SubSystem)
    Module,           // component (module)
    Class,            // Class, Parameterized_Class, Instantiated_Class, Class_Utility, ...
    Attribute,        // ClassAttribute
    Operation,
    Parameter,        // of an operation, or a formal parameter of a parameterized class
    Association,
    Role,
    InheritRelation,  // Inheritance_Relationship (superclasses)
    ClassDependency,  // Uses_Relationship (used_nodes)
    RealizeRelation,  // Realize_Relationship (realized_interfaces)
    HasRelationship,  // Has_Relationship (fields)
    ModuleVisibilityRelationship, // Dependency_Relationship / Module_Visibility_Relationship (visible_modules)
};

// Name of the kind as used by Rose's default property sets ("default__<Kind>").
const wchar_t* DefaultSetKindName(ElementKind kind);

enum ExportControl : int16_t {
    PublicAccess = 0,
    ProtectedAccess = 1,
    PrivateAccess = 2,
    ImplementationAccess = 3,
};
// Name of the export-control rich type value: "PublicAccess", ...
const wchar_t* ExportControlName(int16_t value);

enum Containment : int16_t {
    ContainmentUnspecified = 0,
    ContainmentByValue = 1,
    ContainmentByReference = 2,
};
// "Unspecified", "By Value", "By Reference".
const wchar_t* ContainmentName(int16_t value);

// One tool property: (tool, name, value) with the value as text. Booleans are "TRUE" or
// "FALSE" as written, numbers as written, multi-line text joined with CR LF. A value that
// is a list (an enumeration's set of (name, number) pairs in a default set) keeps its
// entries in `items`, and `value` is empty. An enumerated value written as
// ("SetName" 801) takes the name of the matching entry of the set when the set is known,
// else the number.
struct ToolProperty {
    ModelText tool;
    ModelText name;
    ModelText value;
    ModelText type;                  // "String", "Boolean", "Integer", "Float", "Text", "Enumeration", "List"
    std::vector<ToolProperty> items; // entries of a list value
    ModelText enumSet;               // "Enumeration": the name of the set the value comes from
};

struct Model;
struct Category;
struct Subsystem;
struct Module;
struct Class;
struct Attribute;
struct Operation;
struct Parameter;
struct Association;
struct Role;
struct Relation;

struct Element {
    explicit Element(ElementKind k) : kind(k) {}
    virtual ~Element() = default;
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;

    ElementKind kind;
    unsigned line = 0;          // line of the element's object in its file (0: not loaded from a file)
    // Bytes [textBegin, textEnd) of its "(object ...)" in that file (SourceFile()); both 0
    // when not loaded from a file. The model writer edits the model in place through them.
    uint32_t textBegin = 0;
    uint32_t textEnd = 0;
    ModelText name;
    ModelText quid;             // the unique id
    ModelText documentation;
    ModelText stereotype;
    std::vector<ToolProperty> properties; // own tool properties, in file order
    Element* owner = nullptr;   // the containing element (nullptr for the model)
    ModelText unitFile;         // the .cat/.sub unit file the element stands in ("": the model file)

    // The file the element was read from: its unit file, else the model file.
    std::wstring SourceFile() const;
    // The model at the top of its owners; nullptr for an element not (yet) in one.
    const Model* OwningModel() const;

    // Own property of this element (no defaults), or nullptr.
    const ToolProperty* FindOwnProperty(std::wstring_view tool, std::wstring_view propName) const;
};

struct Category : Element {
    Category() : Element(ElementKind::Category) {}
    Category* parent = nullptr;  // nullptr for the root category ("Logical View")
    bool isRoot = false;
    bool global = false;
    int16_t exportControl = PublicAccess;
    std::wstring fileName;       // unit file as written in the model ("" when not a unit)
    std::vector<Category*> categories;
    std::vector<Class*> classes;
    std::vector<Association*> associations;
};

struct Subsystem : Element {
    Subsystem() : Element(ElementKind::Subsystem) {}
    Subsystem* parent = nullptr; // nullptr for the root ("Component View")
    bool isRoot = false;
    std::wstring fileName;
    std::wstring path;
    std::vector<Subsystem*> subsystems;
    std::vector<Module*> modules;
};

struct Module : Element {
    Module() : Element(ElementKind::Module) {}
    Subsystem* parentSubsystem = nullptr;
    std::wstring type;      // second string of (object module "Name" "<type>" "<part>")
    std::wstring part;      // the part the model file names, e.g. "Body"
    std::wstring language;  // the assigned language ("" when none)
    std::wstring path;
    std::vector<Class*> assignedClasses;
    std::vector<Relation*> dependencies; // ModuleVisibilityRelationship, file order
};

struct Class : Element {
    Class() : Element(ElementKind::Class) {}
    ModelText objectType;           // "Class", "Parameterized_Class", "Class_Utility", ...
    Category* parentCategory = nullptr;
    Class* parentClass = nullptr;   // for nested classes
    int16_t exportControl = PublicAccess;
    bool isAbstract = false;
    ModelText language;             // "" when the file names none
    std::vector<Attribute*> attributes;
    std::vector<Operation*> operations;
    std::vector<Parameter*> parameters;     // formal parameters of a parameterized class
    std::vector<Relation*> superclasses;    // InheritRelation
    std::vector<Relation*> dependencies;    // ClassDependency (used_nodes)
    std::vector<Relation*> realizations;    // RealizeRelation
    std::vector<Relation*> hasRelations;    // HasRelationship
    std::vector<Role*> roles;               // roles whose class is this class
    std::vector<Class*> nestedClasses;
    std::vector<Module*> assignedModules;
};

struct Attribute : Element {
    Attribute() : Element(ElementKind::Attribute) {}
    Class* parentClass = nullptr;
    ModelText type;
    ModelText initValue;
    int16_t exportControl = PrivateAccess;
    bool isStatic = false;
    bool isDerived = false;
    int16_t containment = ContainmentUnspecified;
};

struct Operation : Element {
    Operation() : Element(ElementKind::Operation) {}
    Class* parentClass = nullptr;
    ModelText returnType;
    int16_t exportControl = PublicAccess;
    ModelText concurrency;
    bool isAbstract = false;
    bool isStatic = false;
    std::vector<Parameter*> parameters;
};

struct Parameter : Element {
    Parameter() : Element(ElementKind::Parameter) {}
    ModelText type;
    ModelText initValue;
    bool isConst = false;
    // owner is the Operation or the parameterized Class.
};

struct Association : Element {
    Association() : Element(ElementKind::Association) {}
    Category* parentCategory = nullptr;
    Role* role1 = nullptr;
    Role* role2 = nullptr;
    bool isDerived = false;
};

struct Role : Element {
    Role() : Element(ElementKind::Role) {}
    Association* association = nullptr;   // also the owner
    Class* cls = nullptr;                  // the class at this end (the role's supplier)
    ModelText supplierName;                // as written ("Logical View::Pkg::Name")
    ModelText supplierQuid;                // quidu
    ModelText cardinality;                 // client_cardinality (value cardinality "0..n")
    ModelText constraints;
    bool isNavigable = false;
    bool isAggregate = false;
    bool isStatic = false;
    bool isFriend = false;
    int16_t exportControl = PublicAccess;
    int16_t containment = ContainmentUnspecified;
    // The other end of the association, or nullptr.
    Role* OtherRole() const;
};

// Inherit relation, class dependency, realize relation, has relationship and module
// visibility relationship: a client (the element that lists it, also the owner) and a
// supplier found through the quidu.
struct Relation : Element {
    explicit Relation(ElementKind k) : Element(k) {}
    Element* client = nullptr;
    Element* supplier = nullptr;      // resolved supplier (Class, Module or Subsystem), may be null
    ModelText supplierName;           // as written
    ModelText supplierQuid;           // quidu
    ModelText clientCardinality;
    ModelText supplierCardinality;
    int16_t exportControl = PublicAccess;
    int16_t containment = ContainmentUnspecified; // has relationships
    bool isStatic = false;
    bool isFriend = false;
    bool supplierIsSpec = false;      // module visibility
};

// A superclass, class dependency, realization, has relationship or role end that names a
// class the model does not hold (no "quidu", or one that resolves to no class). The host
// answers it with an external class of that name, as a host that knows the name but not
// the class would.
struct UnresolvedReference {
    std::wstring written;   // the supplier as written ("Logical View::java::io::IOException")
    ElementKind kind;       // InheritRelation, ClassDependency, RealizeRelation, HasRelationship, Role
    const Element* client;  // the class (or association) that refers
    std::wstring file;      // where the reference stands
    unsigned line = 0;
    std::wstring namedKind; // object type of what the "quidu" names when the model holds it
                            // but it is no class ("UseCase"); "" when it names nothing
};

// An element's end: its members go, its memory stays with the model's arena.
struct ElementDisposer {
    void operator()(Element* e) const noexcept { e->~Element(); }
};
using ElementPtr = std::unique_ptr<Element, ElementDisposer>;

// Memory for a model's elements: hundreds of thousands of small objects that all live as
// long as the model, taken from a few large blocks instead of one heap block each (the
// heap's own bookkeeping and rounding cost a tenth of a large model, and its scattered
// blocks cost cache misses when the model is walked).
class ElementArena {
public:
    ElementArena() = default;
    ElementArena(const ElementArena&) = delete;
    ElementArena& operator=(const ElementArena&) = delete;
    void* Allocate(size_t bytes, size_t alignment);

private:
    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_next = nullptr;
    size_t m_left = 0;
    size_t m_blockSize = 4096; // doubles up to a megabyte: small models stay small
};

// Default property sets: tool -> element kind name ("Class", "Module-Spec", ...) ->
// properties in file order.
using DefaultPropertySets =
    std::map<std::wstring, std::map<std::wstring, std::vector<ToolProperty>, std::less<>>, std::less<>>;

struct Model : Element {
    Model();
    ~Model() override;

    std::wstring fileName;          // the model file loaded
    int petalVersion = 0;
    int charSet = 0;
    Category* rootCategory = nullptr;     // "Logical View"
    Category* useCaseCategory = nullptr;  // "Use Case View" (not used by the add-in)
    Subsystem* rootSubsystem = nullptr;   // "Component View"
    DefaultPropertySets defaults;
    std::vector<Class*> selectedClasses;   // filled by the host, not by the loader
    std::vector<Module*> selectedModules;

    // The memory of every element but the model; declared before `elements`, so that it
    // outlives them.
    ElementArena elementMemory;
    // Every element, owned; in load order.
    std::vector<ElementPtr> elements;
    // All of a kind, in load order.
    std::vector<Category*> allCategories;
    std::vector<Subsystem*> allSubsystems;
    std::vector<Module*> allModules;
    std::vector<Class*> allClasses;
    std::vector<Association*> allAssociations;
    // Classes made up for references to classes the model does not hold: a name only (the
    // last part of the name as written), no package, no components, no language. Not in
    // allClasses or any package.
    std::vector<Class*> externalClasses;
    std::vector<UnresolvedReference> unresolved; // in file order

    // "file:line" of an element's object in the files read; "" when the host made it.
    std::wstring PlaceOf(const Element& element) const;

    template <class T, class... Args> T* Create(Element* owner, Args&&... args) {
        T* raw = new (elementMemory.Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
        ElementPtr p(raw);
        raw->owner = owner;
        elements.push_back(std::move(p));
        return raw;
    }

    // Element by unique id (parameters included), or nullptr.
    Element* FindByQuid(const std::wstring& quid) const;
    Element* FindByQuid(const wchar_t* quid) const { return FindByQuid(std::wstring(quid)); }
    Element* FindByQuid(const ModelText& quid) const;
    void IndexQuid(Element* e);
    // The same for many elements, in their order (a loader's), each with its quid's Hash().
    void IndexQuids(std::span<const std::pair<Element*, size_t>> elements);

    // A class by name: the plain name or the full "Logical View::Pkg::Name".
    Class* FindClass(const std::wstring& name) const;

    // The property value the host reports: the element's own value, else the value of
    // the tool's default set for the element's kind, else "".
    std::wstring GetPropertyValue(const Element& e, std::wstring_view tool, std::wstring_view propName) const;
    // The own property or, failing that, the default one; nullptr when neither exists.
    const ToolProperty* FindProperty(const Element& e, std::wstring_view tool, std::wstring_view propName) const;
    // Every property of the tool for the element: the default set of its kind with the
    // element's own values put over it, in the default set's order then the extra own ones.
    std::vector<ToolProperty> GetToolProperties(const Element& e, const std::wstring& tool) const;
    // Name of the default set for the element ("Class", "Module-Spec", "Module-Body", ...).
    std::wstring DefaultSetName(const Element& e) const { return std::wstring(DefaultSetKey(e)); }

    // Puts the sets of `more` over the model's: same tool and kind replaces properties by
    // name and appends new ones.
    void MergeDefaults(const DefaultPropertySets& more);
    // To be called after changing a property of `defaults` in place (its name, or a set
    // replaced by one of the same size in the same storage): look-ups read the sets again.
    // Sets added, replaced or grown otherwise are noticed without it.
    void DefaultsChanged() const;

private:
    // Open addressing over the elements themselves, hashed by their quid: an element's
    // quid is set before it is indexed and never changes after. A slot keeps the hash, so
    // a probe reads no element but the one it finds.
    struct QuidSlot {
        Element* element = nullptr;
        size_t hash = 0;
    };
    std::vector<QuidSlot> m_quidSlots; // a power of two long, at most seven eighths full
    size_t m_quidCount = 0;
    template <class Key> Element* FindQuid(const Key& quid, size_t hash) const;
    void ReserveQuids(size_t count);
    void InsertQuid(Element* e, size_t hash);
    static std::wstring_view DefaultSetKey(const Element& e);
    // A small number that stands for DefaultSetKey(e) in the look-up index, and back.
    static unsigned DefaultSetSlot(const Element& e);
    static std::wstring_view DefaultSetOfSlot(unsigned slot);
    // Built on the first look-up of a default property (the host asks on one thread).
    mutable std::unique_ptr<DefaultSetIndex> m_defaultIndex;
};

// Puts `more` over `set`: a property of the same name is replaced, a new one appended.
void MergePropertySet(std::vector<ToolProperty>& set, std::vector<ToolProperty> more);

using RoseModel = Model;

} // namespace RoseHost
