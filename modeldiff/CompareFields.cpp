// The values of two paired elements: names and places, stereotypes, documentation,
// tool properties and what each kind of element holds.
#include "Comparer.h"

#include <algorithm>
#include <cwctype>
#include <set>

namespace VexloDiff {

namespace {

bool IsRelation(ElementKind k)
{
    return k == ElementKind::InheritRelation || k == ElementKind::ClassDependency || k == ElementKind::RealizeRelation ||
           k == ElementKind::HasRelationship || k == ElementKind::ModuleVisibilityRelationship;
}

const char* ContainmentWord(int value)
{
    return value == ContainmentByValue ? "By Value" : value == ContainmentByReference ? "By Reference" : "Unspecified";
}

bool EqualsNoCase(const std::wstring& a, const wchar_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towupper(static_cast<wint_t>(a[i])) != static_cast<wint_t>(b[i]))
            return false;
    return i == a.size() && !b[i];
}

// A property value as Rose's property editor shows it: booleans as True/False, texts quoted.
std::string PropertyValue(const std::wstring& value, const ToolProperty* decl)
{
    const std::wstring type = decl ? decl->type.str() : std::wstring();
    if ((type.empty() || type == L"Boolean") && (EqualsNoCase(value, L"TRUE") || EqualsNoCase(value, L"FALSE")))
        return EqualsNoCase(value, L"TRUE") ? "True" : "False";
    const bool text = type == L"String" || type == L"Text";
    return Shown(U8(value), text);
}

std::vector<std::string> ModuleNames(const std::vector<Module*>& modules)
{
    std::vector<std::string> names;
    for (const Module* m : modules)
        names.push_back(U8(m->name));
    return names;
}

std::string Joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : ", ") + p;
    return out;
}

} // namespace

void Comparer::List(const Element& o, const Element& n, const char* field, const std::string& before,
                    const std::string& after)
{
    if (before != after)
        Add('~', n, field, before.empty() ? "(none)" : before, after.empty() ? "(none)" : after, &o, &n);
}

void Comparer::Common(const Element& o, const Element& n)
{
    if (!IsRelation(n.kind) && n.kind != ElementKind::Model) {
        const Element* op = ParentOf(o);
        const Element* np = ParentOf(n);
        const bool moved = n.kind != ElementKind::Module && op && np && !Same(op, np);
        if (moved || !o.name.Equals(n.name)) {
            // An unnamed role reads "(to TItem)": its whole path says more than an empty name.
            const std::string to = moved || n.name.empty() ? PathOf(n) : U8(n.name);
            if (PathOf(o) != PathOf(n))
                Add('~', n, {}, {}, {}, &o, &n, "~ " + std::string(KindWord(n)) + " " + PathOf(o) + " → " + to);
        }
    } else if (!o.name.Equals(n.name)) {
        Field(o, n, "name", o.name, n.name, true);
    }
    Field(o, n, "stereotype", o.stereotype, n.stereotype);
    if (!o.documentation.Equals(n.documentation)) {
        const std::string diff = WordDiff(U8(o.documentation), U8(n.documentation));
        Add('~', n, "documentation", U8(o.documentation), U8(n.documentation), &o, &n,
            "~ documentation of " + (n.kind == ElementKind::Model ? std::string("the model") : PathOf(n)) + ": " + diff);
        m_result.changes.back().kind = "documentation";
    }
    if (n.kind != ElementKind::Model)
        Properties(o, n);
}

namespace {

bool SameOwnProperties(const Element& o, const Element& n)
{
    if (o.properties.size() != n.properties.size())
        return false;
    for (size_t i = 0; i < o.properties.size(); ++i) {
        const ToolProperty& a = o.properties[i];
        const ToolProperty& b = n.properties[i];
        if (!a.tool.Equals(b.tool) || !a.name.Equals(b.name) || !a.value.Equals(b.value))
            return false;
    }
    return true;
}

} // namespace

void Comparer::Properties(const Element& o, const Element& n)
{
    // Most elements set the same properties to the same values: nothing to look up.
    if (SameOwnProperties(o, n))
        return;
    // Every property either element sets itself, compared as the generators read it
    // (the default set's value where an element sets none).
    std::vector<std::pair<std::wstring, std::wstring>> names;
    std::set<std::pair<std::wstring, std::wstring>> seen;
    for (const Element* e : {&n, &o})
        for (const ToolProperty& p : e->properties)
            if (seen.emplace(p.tool.str(), p.name.str()).second)
                names.emplace_back(p.tool.str(), p.name.str());
    for (const auto& [tool, name] : names) {
        const std::wstring before = m_old.GetPropertyValue(o, tool, name);
        const std::wstring after = m_new.GetPropertyValue(n, tool, name);
        if (before == after)
            continue;
        const ToolProperty* decl = m_new.FindProperty(n, tool, name);
        if (!decl)
            decl = m_old.FindProperty(o, tool, name);
        const std::string field = U8(tool) + "." + U8(name);
        const std::string b = PropertyValue(before, decl), a = PropertyValue(after, decl);
        const bool package = n.kind == ElementKind::Category || n.kind == ElementKind::Subsystem || n.kind == ElementKind::Module;
        const std::string of = n.kind == ElementKind::Model ? std::string("the model")
                               : package                    ? std::string(KindWord(n)) + " " + PathOf(n)
                                                            : PathOf(n);
        Add('~', n, field, b, a, &o, &n, "~ property " + field + " of " + of + ": " + b + " → " + a);
        m_result.changes.back().kind = "property";
    }
}

void Comparer::ClassFields(const Class& o, const Class& n)
{
    Flag(o, n, "abstract", o.isAbstract, n.isAbstract);
    Export(o, n, o.exportControl, n.exportControl);
    Field(o, n, "kind", o.objectType, n.objectType);
    Field(o, n, "language", o.language, n.language);
    // Components by partner: a renamed component is still the same assignment.
    std::vector<std::string> before = ModuleNames(o.assignedModules), after = ModuleNames(n.assignedModules);
    bool same = o.assignedModules.size() == n.assignedModules.size();
    for (size_t i = 0; same && i < o.assignedModules.size(); ++i)
        same = std::find(n.assignedModules.begin(), n.assignedModules.end(), Partner(o.assignedModules[i], true)) !=
               n.assignedModules.end();
    if (!same) {
        const bool many = before.size() > 1 || after.size() > 1;
        List(o, n, many ? "components" : "component", Joined(before), Joined(after));
    }
}

void Comparer::AttributeFields(const Attribute& o, const Attribute& n)
{
    Field(o, n, "type", o.type, n.type);
    Field(o, n, "initial value", o.initValue, n.initValue, true);
    Export(o, n, o.exportControl, n.exportControl);
    Flag(o, n, "static", o.isStatic, n.isStatic);
    Flag(o, n, "derived", o.isDerived, n.isDerived);
    Field(o, n, "containment", ContainmentWord(o.containment), ContainmentWord(n.containment));
}

void Comparer::OperationFields(const Operation& o, const Operation& n)
{
    Field(o, n, "result", o.returnType, n.returnType);
    Export(o, n, o.exportControl, n.exportControl);
    Flag(o, n, "abstract", o.isAbstract, n.isAbstract);
    Flag(o, n, "static", o.isStatic, n.isStatic);
    Field(o, n, "concurrency", o.concurrency, n.concurrency);
    Parameters(o, n);
}

void Comparer::Parameters(const Operation& o, const Operation& n)
{
    // Parameters have no ids of their own: paired by name, then the rest by position.
    std::vector<const Parameter*> partner(n.parameters.size(), nullptr);
    std::vector<bool> used(o.parameters.size(), false);
    for (size_t i = 0; i < n.parameters.size(); ++i)
        for (size_t j = 0; j < o.parameters.size(); ++j)
            if (!used[j] && o.parameters[j]->name.Equals(n.parameters[i]->name)) {
                partner[i] = o.parameters[j];
                used[j] = true;
                break;
            }
    for (size_t i = 0; i < n.parameters.size(); ++i)
        if (!partner[i] && i < o.parameters.size() && !used[i]) {
            partner[i] = o.parameters[i];
            used[i] = true;
        }
    bool inOrder = true; // the paired parameters keep their places relative to each other
    int last = -1;
    for (size_t i = 0; i < n.parameters.size(); ++i) {
        const Parameter& p = *n.parameters[i];
        const Parameter* q = partner[i];
        if (!q) {
            Add('+', p, {}, {}, {}, nullptr, &p,
                "+ parameter " + PathOf(p) + (p.type.empty() ? std::string() : " (type " + U8(p.type) + ")"));
            continue;
        }
        const int at = static_cast<int>(std::find(o.parameters.begin(), o.parameters.end(), q) - o.parameters.begin());
        inOrder = inOrder && at > last;
        last = at;
        if (!q->name.Equals(p.name))
            Add('~', p, {}, {}, {}, q, &p, "~ parameter " + PathOf(*q) + " → " + U8(p.name));
        Field(*q, p, "type", q->type, p.type);
        Field(*q, p, "default", q->initValue, p.initValue, true);
        Flag(*q, p, "const", q->isConst, p.isConst);
        Field(*q, p, "stereotype", q->stereotype, p.stereotype);
    }
    for (size_t j = 0; j < o.parameters.size(); ++j)
        if (!used[j])
            Add('-', *o.parameters[j], {}, {}, {}, o.parameters[j], nullptr);
    if (!inOrder) {
        std::vector<std::string> before, after;
        for (size_t j = 0; j < o.parameters.size(); ++j)
            if (used[j])
                for (size_t i = 0; i < n.parameters.size(); ++i)
                    if (partner[i] == o.parameters[j])
                        before.push_back(U8(n.parameters[i]->name));
        for (size_t i = 0; i < n.parameters.size(); ++i)
            if (partner[i])
                after.push_back(U8(n.parameters[i]->name));
        List(o, n, "parameter order", Joined(before), Joined(after));
    }
}

void Comparer::RoleFields(const Role& o, const Role& n)
{
    const Role* oo = o.OtherRole();
    const Role* no = n.OtherRole();
    const bool sameClass = oo && no && oo->cls && no->cls ? Same(oo->cls, no->cls) : SupplierOf(o) == SupplierOf(n);
    if (!sameClass)
        Field(o, n, "class", SupplierOf(o), SupplierOf(n));
    Field(o, n, "multiplicity", o.cardinality, n.cardinality);
    Flag(o, n, "navigable", o.isNavigable, n.isNavigable);
    Flag(o, n, "aggregate", o.isAggregate, n.isAggregate);
    Flag(o, n, "static", o.isStatic, n.isStatic);
    Flag(o, n, "friend", o.isFriend, n.isFriend);
    Export(o, n, o.exportControl, n.exportControl);
    Field(o, n, "containment", ContainmentWord(o.containment), ContainmentWord(n.containment));
    Field(o, n, "constraints", o.constraints, n.constraints, true);
}

void Comparer::RelationFields(const Relation& o, const Relation& n)
{
    const bool sameSupplier =
        o.supplier && n.supplier ? Same(o.supplier, n.supplier) : SupplierOf(o) == SupplierOf(n);
    if (!sameSupplier)
        Field(o, n, "supplier", SupplierOf(o), SupplierOf(n));
    Export(o, n, o.exportControl, n.exportControl);
    Field(o, n, "client multiplicity", o.clientCardinality, n.clientCardinality);
    Field(o, n, "supplier multiplicity", o.supplierCardinality, n.supplierCardinality);
    Field(o, n, "containment", ContainmentWord(o.containment), ContainmentWord(n.containment));
    Flag(o, n, "static", o.isStatic, n.isStatic);
    Flag(o, n, "friend", o.isFriend, n.isFriend);
}

void Comparer::ModuleFields(const Module& o, const Module& n)
{
    if (o.parentSubsystem && n.parentSubsystem && Partner(o.parentSubsystem, true) != n.parentSubsystem)
        Field(o, n, "component package", PathOf(*o.parentSubsystem), PathOf(*n.parentSubsystem));
    Field(o, n, "language", o.language, n.language);
    Field(o, n, "type", o.type, n.type);
    if (m_options.componentFolder)
        Field(o, n, "Directory", m_options.componentFolder(o), m_options.componentFolder(n), true);
}

void Comparer::PackageFields(const Element& o, const Element& n)
{
    if (n.kind != ElementKind::Category)
        return;
    const auto& a = static_cast<const Category&>(o);
    const auto& b = static_cast<const Category&>(n);
    Flag(o, n, "global", a.global, b.global);
    Export(o, n, a.exportControl, b.exportControl);
}

} // namespace VexloDiff
