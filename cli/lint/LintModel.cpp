#include "LintModel.h"

#include <functional>
#include <set>

namespace VexloLint {

using namespace RoseHost;

namespace {

const Class* ClassOf(const Element* element)
{
    return element && element->kind == ElementKind::Class ? static_cast<const Class*>(element) : nullptr;
}

// A name from a property ("DataMemberName", ...) when it is set, else the derived one.
void Name(Member& member, const Model& model, const std::wstring& tool, const wchar_t* property,
          const std::wstring& derived)
{
    std::wstring own = property ? Property(model, *member.element, tool, property) : std::wstring();
    member.name = own.empty() ? derived : own;
    member.nameProperty = own.empty() ? std::wstring() : property;
}

// The field, accessors and property of an attribute or role, as each language writes them.
void AddFieldMember(const UnitText& unit, ClassText& text, const Element& element, const std::wstring& type,
                    int16_t visibility)
{
    const Model& model = *unit.model;
    const std::wstring& tool = unit.tool;
    const std::wstring name = element.name;
    auto add = [&](Member::Kind kind, const wchar_t* what, const wchar_t* property, const std::wstring& derived) {
        Member member;
        member.kind = kind;
        member.element = &element;
        member.what = what;
        member.type = type;
        member.visibility = kind == Member::Field ? static_cast<int16_t>(PrivateAccess) : visibility;
        Name(member, model, tool, property, derived);
        if (kind != Member::Field)
            member.indexParameters = Property(model, element, tool, L"Parameters");
        text.members.push_back(std::move(member));
    };
    const bool dataMember = IsTrue(Property(model, element, tool, L"GenerateDataMember"));
    const bool isProperty = IsTrue(Property(model, element, tool, L"IsProperty"));
    if (dataMember && !text.isInterface)
        add(Member::Field, L"field", L"DataMemberName", L"F" + name);
    if (unit.language == Language::Delphi) {
        if (IsTrue(Property(model, element, tool, L"GenerateGetOperation")))
            add(Member::Method, L"read accessor", L"GetName", L"Get" + name);
        if (IsTrue(Property(model, element, tool, L"GenerateSetOperation")))
            add(Member::Method, L"write accessor", L"SetName", L"Set" + name);
    }
    if (isProperty) {
        add(Member::Property, L"property", L"PropertyName", name);
        text.members.back().accessors = IsTrue(Property(model, element, tool, L"GenerateGetOperation")) ||
                                        IsTrue(Property(model, element, tool, L"GenerateSetOperation"));
    }
}

ClassText ReadClass(const UnitText& unit, const Class& cls)
{
    const Model& model = *unit.model;
    ClassText text;
    text.cls = &cls;
    text.kind = Lower(Property(model, cls, unit.tool, L"Kind"));
    text.isInterface = text.kind == L"interface" || (unit.language == Language::Delphi && text.kind == L"dispinterface");
    text.isEnum = text.kind == L"enum";
    if (text.isEnum) {
        for (const Attribute* attribute : cls.attributes) {
            Member value;
            value.kind = Member::Value;
            value.element = attribute;
            value.what = L"enum value";
            value.name = attribute->name;
            text.members.push_back(std::move(value));
        }
        return text;
    }
    for (const Operation* operation : cls.operations) {
        if (Lower(Property(model, *operation, unit.tool, L"GenerateCode")) == L"false")
            continue;
        Member method;
        method.kind = Member::Method;
        method.element = operation;
        method.what = L"operation";
        method.name = operation->name;
        method.type = operation->returnType;
        method.parameters.assign(operation->parameters.begin(), operation->parameters.end());
        method.visibility = operation->exportControl;
        method.overload = IsTrue(Property(model, *operation, unit.tool, L"IsOverload"));
        method.constructor = unit.language == Language::CSharp && operation->name == cls.name &&
                             operation->returnType == cls.name;
        text.members.push_back(std::move(method));
    }
    for (const Attribute* attribute : cls.attributes)
        if (IsTrue(Property(model, *attribute, unit.tool, L"GenerateCode")))
            AddFieldMember(unit, text, *attribute, attribute->type, attribute->exportControl);
    for (const Role* role : cls.roles) {
        if (!role->isAggregate || !IsTrue(Property(model, *role, unit.tool, L"GenerateCode")))
            continue;
        const Class* target = RoleTarget(*role);
        AddFieldMember(unit, text, *role, target ? target->name.str() : std::wstring(), role->exportControl);
    }
    return text;
}

// The inherit or dependency suppliers of a class, transitively.
bool Reaches(const Class& from, const Class& to, bool inherit, std::set<const Class*>& seen)
{
    if (!seen.insert(&from).second)
        return false;
    for (const Relation* relation : inherit ? from.superclasses : from.dependencies) {
        const Class* supplier = ClassOf(relation->supplier);
        if (supplier == &to || (supplier && Reaches(*supplier, to, inherit, seen)))
            return true;
    }
    return false;
}

bool Needs(const Class& a, const Class& b)
{
    std::set<const Class*> seen;
    if (Reaches(a, b, true, seen))
        return true;
    seen.clear();
    return Reaches(a, b, false, seen);
}

} // namespace

std::wstring Property(const Model& model, const Element& element, const std::wstring& tool, const wchar_t* name)
{
    return model.GetPropertyValue(element, tool, name);
}

bool IsTrue(const std::wstring& value) { return Lower(value) == L"true"; }

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

std::wstring NamespaceOf(const Model& model, const Category* category)
{
    std::wstring path;
    for (; category; category = category->parent)
        if (IsTrue(Property(model, *category, L"C#", L"IsNamespace")))
            path = path.empty() ? category->name.str() : category->name + L"." + path;
    return path;
}

const Class* RoleTarget(const Role& role)
{
    const Association* association = role.association;
    if (!association || !association->role1 || !role.cls)
        return role.OtherRole() ? role.OtherRole()->cls : nullptr;
    const Class* first = association->role1->cls;
    if (first && first->name != role.cls->name)
        return first;
    return association->role2 ? association->role2->cls : first;
}

std::wstring ElementPath(const Element& element)
{
    if (element.kind == ElementKind::Role) {
        const auto& role = static_cast<const Role&>(element);
        std::wstring owner = role.cls ? ElementPath(*role.cls) : std::wstring();
        return owner + L"::" + (role.name.empty() ? L"(role)" : role.name.str());
    }
    if (element.kind == ElementKind::Parameter && element.owner)
        return ElementPath(*element.owner) + L"(" + element.name + L")";
    std::wstring path = element.name;
    for (const Element* owner = element.owner; owner && owner->kind != ElementKind::Model; owner = owner->owner) {
        bool root = (owner->kind == ElementKind::Category && static_cast<const Category*>(owner)->isRoot) ||
                    (owner->kind == ElementKind::Subsystem && static_cast<const Subsystem*>(owner)->isRoot);
        if (!root)
            path = owner->name + L"::" + path;
    }
    return path;
}

bool ReadUnit(const Model& model, const Module& module, UnitText& unit)
{
    unit.model = &model;
    unit.module = &module;
    if (module.language == L"Delphi")
        unit.language = Language::Delphi;
    else if (module.language == L"C#")
        unit.language = Language::CSharp;
    else
        return false;
    unit.tool = module.language;
    if (!IsTrue(Property(model, module, unit.tool, L"GenerateCode")))
        return false;
    if (unit.language == Language::Delphi) {
        unit.componentKind = Lower(Property(model, module, unit.tool, L"ComponentKind"));
        if (unit.componentKind != L"unit" && unit.componentKind != L"program" && unit.componentKind != L"library" &&
            unit.componentKind != L"package")
            return false; // an empty file
        unit.writesClasses = unit.componentKind == L"unit";
    } else {
        unit.writesClasses = true;
    }
    if (!unit.writesClasses)
        return true;

    std::vector<const Class*> order;
    for (const Class* cls : module.assignedClasses)
        order.push_back(cls);
    // The generators' exchange order: a class is swapped with a later one it inherits
    // from or depends on, comparing on with the class now in its place.
    for (size_t i = 0; i + 1 < order.size(); ++i)
        for (size_t j = i + 1; j < order.size(); ++j)
            if (Needs(*order[i], *order[j]))
                std::swap(order[i], order[j]);
    for (const Class* cls : order)
        if (IsTrue(Property(model, *cls, unit.tool, L"GenerateCode")))
            unit.classes.push_back(ReadClass(unit, *cls));
    return true;
}

void Report::Add(const Element& element, const std::wstring& rule, const std::wstring& message, const std::wstring& fix)
{
    m_findings.push_back({element.SourceFile(), element.line, ElementPath(element), rule, message, fix});
}

std::optional<std::string> Report::Zone(const Module& module, const std::wstring& scope, const std::wstring& tag) const
{
    if (!m_zones)
        return std::nullopt;
    return m_zones(module, scope, tag);
}

} // namespace VexloLint
