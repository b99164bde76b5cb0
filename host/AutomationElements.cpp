// Automation objects of the model: its elements, their collections, tool properties and
// the rich-type values (export control, containment).
#include "AutomationState.h"

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

namespace RoseHost::Automation {

namespace D = RoseHost::Disp;

namespace {

const wchar_t* const kIndexOutOfRange = L"Index out of range";

// ------------------------------------------------------------------------ collections

// A host collection: counts from 1, lists what it held when it was made.
class ListObject : public Object {
public:
    using Maker = std::function<IDispatch*(size_t index)>;

    ListObject(const StatePtr& state, const Meta::Interface& iface, size_t count, Maker maker)
        : Object(state), m_table(&TableFor(iface)), m_count(count), m_maker(std::move(maker))
    {
    }

    static const DispatchTable& TableFor(const Meta::Interface& iface)
    {
        static const std::map<const Meta::Interface*, DispatchTable> tables = [] {
            std::map<const Meta::Interface*, DispatchTable> all;
            for (const Meta::Interface* i : Meta::All) {
                std::wstring name = i->name;
                if (name.size() < 10 || name.compare(name.size() - 10, 10, L"Collection") != 0)
                    continue;
                DispatchTable t(*i);
                t.Get<ListObject>(D::ClassCollection::Count,
                                  [](ListObject& o, Call& c) { return c.Return(static_cast<SHORT>(o.m_count)); });
                t.Method<ListObject>(D::ClassCollection::GetAt, [](ListObject& o, Call& c) {
                    SHORT index = c.I2(0);
                    if (index < 1 || static_cast<size_t>(index) > o.m_count)
                        return c.Fail(DISP_E_BADINDEX, kIndexOutOfRange);
                    return c.ReturnObject(o.m_maker(static_cast<size_t>(index) - 1));
                });
                all.emplace(i, std::move(t));
            }
            return all;
        }();
        return tables.at(&iface);
    }

protected:
    const DispatchTable& Table() const override { return *m_table; }

private:
    const DispatchTable* m_table;
    size_t m_count;
    Maker m_maker;
};

// ------------------------------------------------------------------- values, properties

class RichTypeObject : public Object {
public:
    RichTypeObject(const StatePtr& state, std::wstring name, SHORT value)
        : Object(state), m_name(std::move(name)), m_value(value)
    {
    }

protected:
    const DispatchTable& Table() const override
    {
        // A rich type is a value: changing it changes this object only.
        static const DispatchTable table =
            DispatchTable(Meta::IRoseRichType)
                .Get<RichTypeObject>(D::RichType::Name, [](RichTypeObject& o, Call& c) { return c.Return(o.m_name); })
                .Put<RichTypeObject>(D::RichType::Name,
                                     [](RichTypeObject& o, Call& c) { o.m_name = c.Str(0); return S_OK; })
                .Get<RichTypeObject>(D::RichType::Value, [](RichTypeObject& o, Call& c) { return c.Return(o.m_value); })
                .Put<RichTypeObject>(D::RichType::Value,
                                     [](RichTypeObject& o, Call& c) { o.m_value = c.I2(0); return S_OK; });
        return table;
    }

private:
    std::wstring m_name;
    SHORT m_value;
};

class PropertyObject : public Object {
public:
    PropertyObject(const StatePtr& state, Element* element, ToolProperty property)
        : Object(state), m_element(element), m_property(std::move(property))
    {
    }

protected:
    const DispatchTable& Table() const override
    {
        static const DispatchTable table =
            DispatchTable(Meta::IRoseProperty)
                .Get<PropertyObject>(D::Property::Name,
                                     [](PropertyObject& o, Call& c) { return c.Return(o.m_property.name); })
                .Put<PropertyObject>(D::Property::Name,
                                     [](PropertyObject& o, Call& c) { return o.Change(&ToolProperty::name, c.Str(0)); })
                .Get<PropertyObject>(D::Property::ToolName,
                                     [](PropertyObject& o, Call& c) { return c.Return(o.m_property.tool); })
                .Put<PropertyObject>(D::Property::ToolName,
                                     [](PropertyObject& o, Call& c) { return o.Change(&ToolProperty::tool, c.Str(0)); })
                .Get<PropertyObject>(D::Property::Type,
                                     [](PropertyObject& o, Call& c) { return c.Return(o.m_property.type); })
                .Put<PropertyObject>(D::Property::Type,
                                     [](PropertyObject& o, Call& c) { return o.Change(&ToolProperty::type, c.Str(0)); })
                .Get<PropertyObject>(D::Property::Value,
                                     [](PropertyObject& o, Call& c) { return c.Return(o.m_property.value); })
                .Put<PropertyObject>(D::Property::Value,
                                     [](PropertyObject& o, Call& c) { return o.SetValue(c.Str(0)); });
        return table;
    }

private:
    ToolProperty* OwnProperty()
    {
        for (ToolProperty& p : m_element->properties)
            if (p.tool == m_property.tool && p.name == m_property.name)
                return &p;
        return nullptr;
    }

    HRESULT Change(ModelText ToolProperty::*field, const std::wstring& value)
    {
        const ModelText text(value);
        if (ToolProperty* own = OwnProperty())
            own->*field = text;
        m_property.*field = text;
        return S_OK;
    }

    // Setting a value that came from the defaults gives the element a value of its own.
    HRESULT SetValue(const std::wstring& value)
    {
        ToolProperty* own = OwnProperty();
        if (!own) {
            m_element->properties.push_back(m_property);
            own = &m_element->properties.back();
        }
        const ModelText text(value);
        own->value = text;
        m_property.value = text;
        return S_OK;
    }

    Element* m_element;
    ToolProperty m_property;
};

// ---------------------------------------------------------------------------- elements

template <class T>
T* IfKind(Element* e, ElementKind kind)
{
    return e && e->kind == kind ? static_cast<T*>(e) : nullptr;
}

class ElementObject : public Object {
public:
    ElementObject(const StatePtr& state, Element& element)
        : Object(state), m_element(element), m_table(&TableFor(element.kind))
    {
    }

    Element& Get() const { return m_element; }
    template <class T>
    T& Get() const
    {
        return static_cast<T&>(m_element);
    }
    Model& TheModel() const { return *State().model; }

    HRESULT ReturnElement(Call& c, Element* e) const { return c.ReturnObject(NewElement(SharedState(), e)); }
    template <class T>
    HRESULT ReturnList(Call& c, const Meta::Interface& iface, const std::vector<T*>& list) const
    {
        return c.ReturnObject(NewCollection(SharedState(), iface, list));
    }
    HRESULT ReturnRichType(Call& c, const wchar_t* name, SHORT value) const
    {
        return c.ReturnObject(NewRichType(SharedState(), name ? name : L"", value));
    }

protected:
    const DispatchTable& Table() const override { return *m_table; }

private:
    static const DispatchTable& TableFor(ElementKind kind);

    Element& m_element;
    const DispatchTable* m_table; // chosen once: Invoke asks for it on every call
};

using E = ElementObject;

// IRoseItem: the same members on every element.
DispatchTable ItemTable(const Meta::Interface& iface)
{
    DispatchTable t(iface);
    t.Get<E>(D::Item::Name, [](E& o, Call& c) { return c.Return(o.Get().name); });
    t.Put<E>(D::Item::Name, [](E& o, Call& c) { o.Get().name = c.Str(0); return S_OK; });
    t.Get<E>(D::Item::Documentation, [](E& o, Call& c) { return c.Return(o.Get().documentation); });
    t.Get<E>(D::Item::Model, [](E& o, Call& c) { return o.ReturnElement(c, &o.TheModel()); });
    t.Method<E>(D::Item::GetUniqueID, [](E& o, Call& c) { return c.Return(o.Get().quid); });
    t.Method<E>(D::Item::GetPropertyValue, [](E& o, Call& c) {
        // The most frequent question an add-in asks: answered without copying its texts.
        const ToolProperty* p = o.TheModel().FindProperty(o.Get(), c.StrView(0), c.StrView(1));
        return p ? c.Return(p->value) : c.Return(ModelText());
    });
    t.Method<E>(D::Item::FindProperty, [](E& o, Call& c) {
        const ToolProperty* p = o.TheModel().FindProperty(o.Get(), c.StrView(0), c.StrView(1));
        return c.ReturnObject(p ? NewProperty(o.SharedState(), &o.Get(), *p) : nullptr);
    });
    t.Method<E>(D::Item::GetToolProperties, [](E& o, Call& c) {
        return c.ReturnObject(
            NewPropertyCollection(o.SharedState(), &o.Get(), o.TheModel().GetToolProperties(o.Get(), c.Str(0))));
    });
    return t;
}

DispatchTable ModelTable()
{
    DispatchTable t = ItemTable(Meta::IRoseModel);
    t.Get<E>(D::Model::Application, [](E& o, Call& c) { return c.ReturnObject(NewApplication(o.SharedState())); });
    t.Method<E>(D::Model::GetSelectedClasses, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseClassCollection, o.Get<Model>().selectedClasses);
    });
    t.Method<E>(D::Model::GetSelectedModules, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseModuleCollection, o.Get<Model>().selectedModules);
    });
    t.Get<E>(D::Model::RootCategory, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Model>().rootCategory); });
    t.Get<E>(D::Model::RootSubsystem, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Model>().rootSubsystem); });
    return t;
}

DispatchTable CategoryTable()
{
    DispatchTable t = ItemTable(Meta::IRoseCategory);
    t.Get<E>(D::Category::ParentCategory, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Category>().parent); });
    t.Method<E>(D::Category::IsRootPackage, [](E& o, Call& c) { return c.ReturnBool(o.Get<Category>().isRoot); });
    t.Get<E>(D::Category::Categories, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseCategoryCollection, o.Get<Category>().categories);
    });
    t.Get<E>(D::Category::Classes, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseClassCollection, o.Get<Category>().classes);
    });
    return t;
}

DispatchTable SubsystemTable()
{
    DispatchTable t = ItemTable(Meta::IRoseSubsystem);
    t.Get<E>(D::Subsystem::ParentSubsystem,
             [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Subsystem>().parent); });
    t.Method<E>(D::Subsystem::IsRootPackage, [](E& o, Call& c) { return c.ReturnBool(o.Get<Subsystem>().isRoot); });
    t.Get<E>(D::Subsystem::Subsystems, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseSubsystemCollection, o.Get<Subsystem>().subsystems);
    });
    t.Get<E>(D::Subsystem::Modules, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseModuleCollection, o.Get<Subsystem>().modules);
    });
    return t;
}

DispatchTable ModuleTable()
{
    DispatchTable t = ItemTable(Meta::IRoseModule);
    t.Get<E>(D::Module::ParentSubsystem,
             [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Module>().parentSubsystem); });
    t.Get<E>(D::Module::AssignedLanguage, [](E& o, Call& c) { return c.Return(o.Get<Module>().language); });
    t.Put<E>(D::Module::AssignedLanguage, [](E& o, Call& c) { o.Get<Module>().language = c.Str(0); return S_OK; });
    t.Method<E>(D::Module::GetAssignedClasses, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseClassCollection, o.Get<Module>().assignedClasses);
    });
    t.Method<E>(D::Module::GetDependencies, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseModuleVisibilityRelationshipCollection, o.Get<Module>().dependencies);
    });
    return t;
}

DispatchTable ClassTable()
{
    DispatchTable t = ItemTable(Meta::IRoseClass);
    t.Get<E>(D::Class::ParentCategory, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Class>().parentCategory); });
    t.Get<E>(D::Class::Attributes, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseAttributeCollection, o.Get<Class>().attributes);
    });
    t.Get<E>(D::Class::Operations, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseOperationCollection, o.Get<Class>().operations);
    });
    t.Get<E>(D::Class::Parameters, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseParameterCollection, o.Get<Class>().parameters);
    });
    t.Method<E>(D::Class::GetHasRelations, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseHasRelationshipCollection, o.Get<Class>().hasRelations);
    });
    t.Method<E>(D::Class::GetInheritRelations, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseInheritRelationCollection, o.Get<Class>().superclasses);
    });
    t.Method<E>(D::Class::GetRoles,
                [](E& o, Call& c) { return o.ReturnList(c, Meta::IRoseRoleCollection, o.Get<Class>().roles); });
    // The far ends of this class's associations.
    t.Method<E>(D::Class::GetAssociateRoles, [](E& o, Call& c) {
        std::vector<Role*> others;
        for (Role* r : o.Get<Class>().roles)
            if (Role* other = r->OtherRole())
                others.push_back(other);
        return o.ReturnList(c, Meta::IRoseRoleCollection, others);
    });
    t.Method<E>(D::Class::GetAssignedModules, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseModuleCollection, o.Get<Class>().assignedModules);
    });
    // A class is written in the language of the component it is assigned to first.
    t.Method<E>(D::Class::GetAssignedLanguage, [](E& o, Call& c) {
        const auto& modules = o.Get<Class>().assignedModules;
        return c.Return(modules.empty() ? std::wstring() : modules.front()->language);
    });
    t.Method<E>(D::Class::GetClassDependencies, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseClassDependencyCollection, o.Get<Class>().dependencies);
    });
    t.Method<E>(D::Class::GetAssociations, [](E& o, Call& c) {
        std::vector<Association*> list;
        for (Role* r : o.Get<Class>().roles)
            if (r->association && std::find(list.begin(), list.end(), r->association) == list.end())
                list.push_back(r->association);
        return o.ReturnList(c, Meta::IRoseAssociationCollection, list);
    });
    return t;
}

DispatchTable AttributeTable()
{
    DispatchTable t = ItemTable(Meta::IRoseAttribute);
    t.Get<E>(D::Attribute::Type, [](E& o, Call& c) { return c.Return(o.Get<Attribute>().type); });
    t.Put<E>(D::Attribute::Type, [](E& o, Call& c) { o.Get<Attribute>().type = c.Str(0); return S_OK; });
    t.Get<E>(D::Attribute::InitValue, [](E& o, Call& c) { return c.Return(o.Get<Attribute>().initValue); });
    t.Get<E>(D::Attribute::ExportControl, [](E& o, Call& c) {
        SHORT v = o.Get<Attribute>().exportControl;
        return o.ReturnRichType(c, ExportControlName(v), v);
    });
    t.Get<E>(D::Attribute::ParentClass, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Attribute>().parentClass); });
    return t;
}

DispatchTable OperationTable()
{
    DispatchTable t = ItemTable(Meta::IRoseOperation);
    t.Get<E>(D::Operation::ReturnType, [](E& o, Call& c) { return c.Return(o.Get<Operation>().returnType); });
    t.Put<E>(D::Operation::ReturnType, [](E& o, Call& c) { o.Get<Operation>().returnType = c.Str(0); return S_OK; });
    t.Get<E>(D::Operation::Parameters, [](E& o, Call& c) {
        return o.ReturnList(c, Meta::IRoseParameterCollection, o.Get<Operation>().parameters);
    });
    t.Get<E>(D::Operation::ExportControl, [](E& o, Call& c) {
        SHORT v = o.Get<Operation>().exportControl;
        return o.ReturnRichType(c, ExportControlName(v), v);
    });
    t.Get<E>(D::Operation::ParentClass, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Operation>().parentClass); });
    return t;
}

DispatchTable ParameterTable()
{
    DispatchTable t = ItemTable(Meta::IRoseParameter);
    t.Get<E>(D::Parameter::Type, [](E& o, Call& c) { return c.Return(o.Get<Parameter>().type); });
    t.Put<E>(D::Parameter::Type, [](E& o, Call& c) { o.Get<Parameter>().type = c.Str(0); return S_OK; });
    t.Get<E>(D::Parameter::InitValue, [](E& o, Call& c) { return c.Return(o.Get<Parameter>().initValue); });
    t.Put<E>(D::Parameter::InitValue, [](E& o, Call& c) { o.Get<Parameter>().initValue = c.Str(0); return S_OK; });
    return t;
}

// IRoseRelation of the relations listed by their client: context is the client.
DispatchTable RelationTable(const Meta::Interface& iface)
{
    DispatchTable t = ItemTable(iface);
    t.Method<E>(D::Relation::GetSupplier, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Relation>().supplier); });
    t.Method<E>(D::Relation::GetContext, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Relation>().client); });
    return t;
}

DispatchTable ClassRelationTable(const Meta::Interface& iface)
{
    DispatchTable t = RelationTable(iface);
    t.Method<E>(D::ClassRelation::GetContextClass, [](E& o, Call& c) {
        return o.ReturnElement(c, IfKind<Class>(o.Get<Relation>().client, ElementKind::Class));
    });
    t.Method<E>(D::ClassRelation::GetSupplierClass, [](E& o, Call& c) {
        return o.ReturnElement(c, IfKind<Class>(o.Get<Relation>().supplier, ElementKind::Class));
    });
    return t;
}

Subsystem* SubsystemOf(Element* e)
{
    if (auto* s = IfKind<Subsystem>(e, ElementKind::Subsystem))
        return s;
    if (auto* m = IfKind<Module>(e, ElementKind::Module))
        return m->parentSubsystem;
    return nullptr;
}

DispatchTable ModuleVisibilityTable()
{
    namespace R = D::ModuleVisibilityRelationship;
    DispatchTable t = RelationTable(Meta::IRoseModuleVisibilityRelationship);
    t.Get<E>(R::ContextModule, [](E& o, Call& c) {
        return o.ReturnElement(c, IfKind<Module>(o.Get<Relation>().client, ElementKind::Module));
    });
    t.Get<E>(R::SupplierModule, [](E& o, Call& c) {
        return o.ReturnElement(c, IfKind<Module>(o.Get<Relation>().supplier, ElementKind::Module));
    });
    // A component's package, or the package itself when the end is a package.
    t.Get<E>(R::ContextSubsystem, [](E& o, Call& c) { return o.ReturnElement(c, SubsystemOf(o.Get<Relation>().client)); });
    t.Get<E>(R::SupplierSubsystem,
             [](E& o, Call& c) { return o.ReturnElement(c, SubsystemOf(o.Get<Relation>().supplier)); });
    t.Get<E>(R::ContextClass, [](E& o, Call& c) {
        return o.ReturnElement(c, IfKind<Class>(o.Get<Relation>().client, ElementKind::Class));
    });
    t.Get<E>(R::SupplierClass, [](E& o, Call& c) {
        return o.ReturnElement(c, IfKind<Class>(o.Get<Relation>().supplier, ElementKind::Class));
    });
    return t;
}

DispatchTable RoleTable()
{
    DispatchTable t = ItemTable(Meta::IRoseRole);
    // A role's supplier is the class at its end; its context the class at the other end.
    t.Method<E>(D::Role::GetSupplier, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Role>().cls); });
    t.Method<E>(D::Role::GetContext, [](E& o, Call& c) {
        Role* other = o.Get<Role>().OtherRole();
        return o.ReturnElement(c, other ? other->cls : nullptr);
    });
    t.Get<E>(D::Role::Aggregate, [](E& o, Call& c) { return c.ReturnBool(o.Get<Role>().isAggregate); });
    t.Get<E>(D::Role::Navigable, [](E& o, Call& c) { return c.ReturnBool(o.Get<Role>().isNavigable); });
    t.Get<E>(D::Role::Cardinality, [](E& o, Call& c) { return c.Return(o.Get<Role>().cardinality); });
    t.Get<E>(D::Role::ExportControl, [](E& o, Call& c) {
        SHORT v = o.Get<Role>().exportControl;
        return o.ReturnRichType(c, ExportControlName(v), v);
    });
    t.Get<E>(D::Role::Containment, [](E& o, Call& c) {
        SHORT v = o.Get<Role>().containment;
        return o.ReturnRichType(c, ContainmentName(v), v);
    });
    t.Get<E>(D::Role::Association, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Role>().association); });
    t.Get<E>(D::Role::Class, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Role>().cls); });
    t.Get<E>(D::Role::Constraints, [](E& o, Call& c) { return c.Return(o.Get<Role>().constraints); });
    t.Get<E>(D::Role::Friend, [](E& o, Call& c) { return c.ReturnBool(o.Get<Role>().isFriend); });
    return t;
}

DispatchTable AssociationTable()
{
    DispatchTable t = ItemTable(Meta::IRoseAssociation);
    t.Get<E>(D::Association::Role1, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Association>().role1); });
    t.Get<E>(D::Association::Role2, [](E& o, Call& c) { return o.ReturnElement(c, o.Get<Association>().role2); });
    t.Get<E>(D::Association::Roles, [](E& o, Call& c) {
        std::vector<Role*> roles;
        for (Role* r : {o.Get<Association>().role1, o.Get<Association>().role2})
            if (r)
                roles.push_back(r);
        return o.ReturnList(c, Meta::IRoseRoleCollection, roles);
    });
    return t;
}

const DispatchTable& ElementObject::TableFor(ElementKind kind)
{
    static const DispatchTable model = ModelTable();
    static const DispatchTable category = CategoryTable();
    static const DispatchTable subsystem = SubsystemTable();
    static const DispatchTable module = ModuleTable();
    static const DispatchTable cls = ClassTable();
    static const DispatchTable attribute = AttributeTable();
    static const DispatchTable operation = OperationTable();
    static const DispatchTable parameter = ParameterTable();
    static const DispatchTable association = AssociationTable();
    static const DispatchTable role = RoleTable();
    static const DispatchTable inherit = ClassRelationTable(Meta::IRoseInheritRelation);
    static const DispatchTable dependency = ClassRelationTable(Meta::IRoseClassDependency);
    static const DispatchTable realize = ClassRelationTable(Meta::IRoseClassRelation);
    static const DispatchTable has = ClassRelationTable(Meta::IRoseHasRelationship);
    static const DispatchTable visibility = ModuleVisibilityTable();
    switch (kind) {
    case ElementKind::Model:
        return model;
    case ElementKind::Category:
        return category;
    case ElementKind::Subsystem:
        return subsystem;
    case ElementKind::Module:
        return module;
    case ElementKind::Class:
        return cls;
    case ElementKind::Attribute:
        return attribute;
    case ElementKind::Operation:
        return operation;
    case ElementKind::Parameter:
        return parameter;
    case ElementKind::Association:
        return association;
    case ElementKind::Role:
        return role;
    case ElementKind::InheritRelation:
        return inherit;
    case ElementKind::ClassDependency:
        return dependency;
    case ElementKind::RealizeRelation:
        return realize;
    case ElementKind::HasRelationship:
        return has;
    case ElementKind::ModuleVisibilityRelationship:
        return visibility;
    }
    return model;
}

} // namespace

IDispatch* NewElement(const StatePtr& state, Element* element)
{
    if (!element)
        return nullptr;
    if (element->kind == ElementKind::Module)
        state->lastModule = element;
    else if (element->kind == ElementKind::Class)
        state->lastClass = element;
    return new ElementObject(state, *element);
}

IDispatch* NewRichType(const StatePtr& state, std::wstring name, SHORT value)
{
    return new RichTypeObject(state, std::move(name), value);
}

IDispatch* NewProperty(const StatePtr& state, Element* element, const ToolProperty& property)
{
    return new PropertyObject(state, element, property);
}

IDispatch* NewPropertyCollection(const StatePtr& state, Element* element, std::vector<ToolProperty> properties)
{
    auto list = std::make_shared<std::vector<ToolProperty>>(std::move(properties));
    return new ListObject(state, Meta::IRosePropertyCollection, list->size(),
                          [state, element, list](size_t i) { return NewProperty(state, element, (*list)[i]); });
}

IDispatch* NewElementCollection(const StatePtr& state, const Meta::Interface& iface, std::vector<Element*> elements)
{
    auto list = std::make_shared<std::vector<Element*>>(std::move(elements));
    return new ListObject(state, iface, list->size(), [state, list](size_t i) { return NewElement(state, (*list)[i]); });
}

IDispatch* NewList(const StatePtr& state, const Meta::Interface& iface, size_t count,
                   std::function<IDispatch*(size_t)> maker)
{
    return new ListObject(state, iface, count, std::move(maker));
}

} // namespace RoseHost::Automation
