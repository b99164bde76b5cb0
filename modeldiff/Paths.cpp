// How an element is named in a line of the diff, and where the line is listed.
#include "Comparer.h"

#include "Utf8.h"

namespace VexloDiff {

std::string U8(const ModelText& text) { return ToUtf8(text.str()); }
std::string U8(const std::wstring& text) { return ToUtf8(text); }

namespace {

std::string PackagePath(const Category* c)
{
    if (!c || c->isRoot || !c->parent)
        return c && !c->isRoot ? U8(c->name) : std::string();
    const std::string parent = PackagePath(c->parent);
    return parent.empty() ? U8(c->name) : parent + "::" + U8(c->name);
}

std::string SubsystemPath(const Subsystem* s)
{
    if (!s || s->isRoot || !s->parent)
        return s && !s->isRoot ? U8(s->name) : std::string();
    const std::string parent = SubsystemPath(s->parent);
    return parent.empty() ? U8(s->name) : parent + "::" + U8(s->name);
}

std::string ClassPath(const Class& c)
{
    const std::string outer = c.parentClass ? ClassPath(*c.parentClass) : PackagePath(c.parentCategory);
    return outer.empty() ? U8(c.name) : outer + "::" + U8(c.name);
}

// The class a role belongs to as a member: the class at its own end, which the generators
// give a field of the type at the other end.
const Class* RoleHolder(const Role& r) { return r.cls; }

std::string RoleName(const Role& r)
{
    if (!r.name.empty())
        return U8(r.name);
    return "(to " + SupplierOf(r) + ")";
}

std::string LastPart(const std::string& written)
{
    const size_t sep = written.rfind("::");
    return sep == std::string::npos ? written : written.substr(sep + 2);
}

} // namespace

std::string SupplierOf(const Element& e)
{
    if (e.kind == ElementKind::Role) { // the type: the class at the association's other end
        const Role* other = static_cast<const Role&>(e).OtherRole();
        if (!other)
            return std::string();
        return other->cls ? U8(other->cls->name) : LastPart(U8(other->supplierName));
    }
    const auto& rel = static_cast<const Relation&>(e);
    return rel.supplier ? U8(rel.supplier->name) : LastPart(U8(rel.supplierName));
}

const char* KindWord(const Element& e)
{
    switch (e.kind) {
    case ElementKind::Model: return "model";
    case ElementKind::Category: return "package";
    case ElementKind::Subsystem: return "component package";
    case ElementKind::Module: return "component";
    case ElementKind::Class: return "class";
    case ElementKind::Attribute: return "attribute";
    case ElementKind::Operation: return "operation";
    case ElementKind::Parameter: return "parameter";
    case ElementKind::Association: return "association";
    case ElementKind::Role: return "role";
    case ElementKind::InheritRelation: return "generalization";
    case ElementKind::ClassDependency: return "dependency";
    case ElementKind::RealizeRelation: return "realization";
    case ElementKind::HasRelationship: return "has";
    case ElementKind::ModuleVisibilityRelationship: return "dependency";
    }
    return "element";
}

std::string PathOf(const Element& e)
{
    switch (e.kind) {
    case ElementKind::Model: return "model";
    case ElementKind::Category: return PackagePath(static_cast<const Category*>(&e));
    case ElementKind::Subsystem: return SubsystemPath(static_cast<const Subsystem*>(&e));
    case ElementKind::Module: return U8(e.name);
    case ElementKind::Class: return ClassPath(static_cast<const Class&>(e));
    case ElementKind::Attribute:
    case ElementKind::Operation:
        return (e.owner ? PathOf(*e.owner) : std::string()) + "." + U8(e.name);
    case ElementKind::Parameter:
        return (e.owner ? PathOf(*e.owner) : std::string()) + "(" + U8(e.name) + ")";
    case ElementKind::Association: {
        const auto& a = static_cast<const Association&>(e);
        const std::string pkg = PackagePath(a.parentCategory);
        std::string name = U8(a.name);
        if (name.empty() && a.role1 && a.role2)
            name.append("(").append(SupplierOf(*a.role2)).append(" - ").append(SupplierOf(*a.role1)).append(")");
        return pkg.empty() ? name : pkg + "::" + name;
    }
    case ElementKind::Role: {
        const auto& r = static_cast<const Role&>(e);
        const Class* holder = RoleHolder(r);
        return (holder ? ClassPath(*holder) : PathOf(*r.association)) + "." + RoleName(r);
    }
    default: // relations: the client, an arrow, the supplier
        return (e.owner ? PathOf(*e.owner) : std::string()) + " → " + SupplierOf(e);
    }
}

const Element* ParentOf(const Element& e)
{
    switch (e.kind) {
    case ElementKind::Category: return static_cast<const Category&>(e).parent;
    case ElementKind::Subsystem: return static_cast<const Subsystem&>(e).parent;
    case ElementKind::Module: return static_cast<const Module&>(e).parentSubsystem;
    case ElementKind::Class: {
        const auto& c = static_cast<const Class&>(e);
        return c.parentClass ? static_cast<const Element*>(c.parentClass) : c.parentCategory;
    }
    case ElementKind::Role: {
        const Class* holder = RoleHolder(static_cast<const Role&>(e));
        return holder ? static_cast<const Element*>(holder) : e.owner;
    }
    case ElementKind::Association: return static_cast<const Association&>(e).parentCategory;
    default: return e.owner;
    }
}

std::string GroupOf(const Element& e)
{
    for (const Element* p = &e; p; p = ParentOf(*p)) {
        if (p->kind == ElementKind::Category) {
            const std::string path = PackagePath(static_cast<const Category*>(p));
            return path.empty() ? "Logical View" : path;
        }
        if (p->kind == ElementKind::Subsystem) {
            const std::string path = SubsystemPath(static_cast<const Subsystem*>(p));
            return path.empty() ? "Component View" : "Component View::" + path;
        }
        if (p->kind == ElementKind::Model)
            break;
    }
    return "Model";
}

std::string OwnerOf(const Element& e)
{
    for (const Element* p = &e; p; p = ParentOf(*p))
        if (p->kind == ElementKind::Class || p->kind == ElementKind::Module)
            return PathOf(*p);
    return {};
}

bool IsRoot(const Element& e)
{
    if (e.kind == ElementKind::Category)
        return static_cast<const Category&>(e).isRoot || (e.OwningModel() && e.OwningModel()->useCaseCategory == &e) ||
               !static_cast<const Category&>(e).parent;
    if (e.kind == ElementKind::Subsystem)
        return static_cast<const Subsystem&>(e).isRoot || !static_cast<const Subsystem&>(e).parent;
    return e.kind == ElementKind::Model;
}

const char* ExportWord(int value)
{
    switch (value) {
    case PublicAccess: return "Public";
    case ProtectedAccess: return "Protected";
    case PrivateAccess: return "Private";
    case ImplementationAccess: return "Implementation";
    }
    return "?";
}

std::string Shown(const std::string& value, bool quote)
{
    if (value.empty())
        return quote ? "\"\"" : "(none)";
    std::string flat;
    for (char c : value)
        flat += c == '\r' ? std::string() : c == '\n' ? std::string("\\n") : std::string(1, c);
    if (flat.size() > 80) { // cut between characters, not inside one
        size_t cut = 77;
        while (cut > 0 && (static_cast<unsigned char>(flat[cut]) & 0xC0) == 0x80)
            --cut;
        flat = flat.substr(0, cut) + "…";
    }
    if (!quote && flat.find(' ') == std::string::npos)
        return flat;
    return "\"" + flat + "\"";
}

} // namespace VexloDiff
