// A model built element by element in memory, for the suites that serve it through the
// stand-in host. With a tool ("Delphi" or "C#") the tool's shipped property set gives the
// defaults and components are of that language. Unique ids default to "Q-<name>" (test
// ids must not hold a ".").
#pragma once

#include "ModelLoader.h"
#include "RoseModel.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace VexloTest {

using namespace RoseHost;

inline std::filesystem::path SourceDir()
{
    const char* dir = std::getenv("VEXLO_TEST_SOURCE_DIR");
#ifdef VEXLO_SOURCE_DIR
    return std::filesystem::path(dir ? dir : VEXLO_SOURCE_DIR);
#else
    return std::filesystem::path(dir ? dir : ".");
#endif
}

class ModelBuilder {
public:
    std::wstring tool;
    std::shared_ptr<Model> model = std::make_shared<Model>();
    Category* root = nullptr;
    Subsystem* components = nullptr;

    explicit ModelBuilder(std::wstring toolName = L"") : tool(std::move(toolName))
    {
        model->name = L"Model";
        model->quid = L"Q-MODEL";
        root = Add(model->Create<Category>(model.get()), L"Logical View", L"Q-LOGICAL");
        root->isRoot = true;
        model->rootCategory = root;
        components = Add(model->Create<Subsystem>(model.get()), L"Component View", L"Q-COMPONENTS");
        components->isRoot = true;
        model->rootSubsystem = components;
        if (!tool.empty())
            MergePropertyFile(*model, (SourceDir() / "properties" / (tool == L"C#" ? "CSharp.pty" : "Delphi.pty")).wstring(),
                              LoadOptions());
    }

    template <class T>
    T* Add(T* element, const std::wstring& name, const std::wstring& quid = L"")
    {
        element->name = name;
        element->quid = quid.empty() ? L"Q-" + name : quid;
        model->IndexQuid(element);
        return element;
    }

    static void SetProperty(Element* element, const std::wstring& tool, const std::wstring& name,
                            const std::wstring& value)
    {
        for (ToolProperty& property : element->properties)
            if (property.tool == tool && property.name == name) {
                property.value = value;
                return;
            }
        ToolProperty property;
        property.tool = tool;
        property.name = name;
        property.value = value;
        property.type = L"String";
        element->properties.push_back(property);
    }
    // Sets a property of this builder's tool.
    void Prop(Element* element, const std::wstring& name, const std::wstring& value) const
    {
        SetProperty(element, tool, name, value);
    }

    Category* AddCategory(Category* parent, const std::wstring& name, const std::wstring& quid = L"")
    {
        Category* c = Add(model->Create<Category>(parent), name, quid);
        c->parent = parent;
        parent->categories.push_back(c);
        model->allCategories.push_back(c);
        return c;
    }
    Class* AddClass(const std::wstring& name, const std::wstring& quid = L"", Category* category = nullptr)
    {
        if (!category)
            category = root;
        Class* c = Add(model->Create<Class>(category), name, quid);
        c->objectType = L"Class";
        c->parentCategory = category;
        c->language = tool;
        category->classes.push_back(c);
        model->allClasses.push_back(c);
        return c;
    }
    Class* AddClass(const std::wstring& name, Category* category) { return AddClass(name, L"", category); }

    Relation* AddRelation(ElementKind kind, Element* client, Element* supplier)
    {
        Relation* r = model->Create<Relation>(client, kind);
        r->quid = client->quid + L"-" + supplier->quid;
        r->client = client;
        r->supplier = supplier;
        r->supplierName = supplier->name;
        r->supplierQuid = supplier->quid;
        model->IndexQuid(r);
        return r;
    }
    Relation* Inherit(Class* sub, Class* super)
    {
        sub->superclasses.push_back(AddRelation(ElementKind::InheritRelation, sub, super));
        return sub->superclasses.back();
    }
    Relation* Depend(Class* client, Class* supplier)
    {
        client->dependencies.push_back(AddRelation(ElementKind::ClassDependency, client, supplier));
        return client->dependencies.back();
    }
    Relation* Has(Class* client, Class* contained)
    {
        client->hasRelations.push_back(AddRelation(ElementKind::HasRelationship, client, contained));
        return client->hasRelations.back();
    }

    Attribute* AddAttribute(Class* owner, const std::wstring& name, const std::wstring& type = L"",
                            int16_t exportControl = PrivateAccess, const std::wstring& init = L"")
    {
        Attribute* a = Add(model->Create<Attribute>(owner), name, owner->quid + L"-" + name);
        a->parentClass = owner;
        a->type = type;
        a->initValue = init;
        a->exportControl = exportControl;
        owner->attributes.push_back(a);
        return a;
    }
    Operation* AddOperation(Class* owner, const std::wstring& name, const std::wstring& returnType = L"",
                            int16_t exportControl = PublicAccess, const std::wstring& quid = L"")
    {
        Operation* o = Add(model->Create<Operation>(owner), name, quid.empty() ? owner->quid + L"-" + name : quid);
        o->parentClass = owner;
        o->returnType = returnType;
        o->exportControl = exportControl;
        owner->operations.push_back(o);
        return o;
    }
    Parameter* AddParameter(Operation* owner, const std::wstring& name, const std::wstring& type,
                            const std::wstring& init = L"")
    {
        Parameter* p = Add(model->Create<Parameter>(owner), name, owner->quid + L"-" + name);
        p->type = type;
        p->initValue = init;
        owner->parameters.push_back(p);
        return p;
    }

    // An association whose role 1 ends at `first` and role 2 at `second`.
    Association* Associate(const std::wstring& name, Class* first, const std::wstring& firstRole, bool firstAggregate,
                           Class* second, const std::wstring& secondRole, bool secondAggregate)
    {
        Association* a = Add(model->Create<Association>(root), name);
        a->parentCategory = root;
        root->associations.push_back(a);
        model->allAssociations.push_back(a);
        a->role1 = AddRole(a, firstRole, first, firstAggregate);
        a->role2 = AddRole(a, secondRole, second, secondAggregate);
        return a;
    }
    Association* Associate(const std::wstring& name, Class* first, const std::wstring& firstRole, Class* second,
                           const std::wstring& secondRole)
    {
        return Associate(name, first, firstRole, false, second, secondRole, false);
    }
    Role* AddRole(Association* association, const std::wstring& name, Class* end, bool aggregate = false)
    {
        Role* r = Add(model->Create<Role>(association), name, association->quid + L"-" + name);
        r->association = association;
        r->cls = end;
        r->supplierName = end->name;
        r->supplierQuid = end->quid;
        r->isAggregate = aggregate;
        end->roles.push_back(r);
        return r;
    }

    Subsystem* AddSubsystem(Subsystem* parent, const std::wstring& name)
    {
        Subsystem* s = Add(model->Create<Subsystem>(parent), name);
        s->parent = parent;
        parent->subsystems.push_back(s);
        model->allSubsystems.push_back(s);
        return s;
    }
    // A component of the given language.
    Module* AddComponent(Subsystem* parent, const std::wstring& name, const std::wstring& language,
                         std::vector<Class*> classes = {})
    {
        Module* m = Add(model->Create<Module>(parent), name);
        m->parentSubsystem = parent;
        m->language = language;
        m->part = L"Specification";
        m->assignedClasses = classes;
        for (Class* c : classes)
            c->assignedModules.push_back(m);
        parent->modules.push_back(m);
        model->allModules.push_back(m);
        return m;
    }
    // A component of this builder's language; `kind` sets "ComponentKind" when not empty.
    Module* AddModule(Subsystem* parent, const std::wstring& name, const std::wstring& kind,
                      std::vector<Class*> classes = {})
    {
        Module* m = AddComponent(parent, name, tool, std::move(classes));
        if (!kind.empty())
            Prop(m, L"ComponentKind", kind);
        return m;
    }
    Relation* ModuleDepends(Module* client, Element* supplier)
    {
        client->dependencies.push_back(AddRelation(ElementKind::ModuleVisibilityRelationship, client, supplier));
        return client->dependencies.back();
    }
};

} // namespace VexloTest
