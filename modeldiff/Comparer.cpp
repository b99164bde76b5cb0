// Pairing the elements of two models and the lines for elements added, removed, renamed
// and moved. The values of paired elements are compared in CompareFields.cpp.
#include "Comparer.h"

#include <algorithm>
#include <map>

namespace VexloDiff {

std::vector<const Element*> Comparer::Elements(const Model& m) const
{
    std::vector<const Element*> out;
    out.reserve(m.elements.size());
    for (const auto& e : m.elements) {
        // Parameters go with their operation; classes the model only names are no elements of it.
        if (e->kind == ElementKind::Model || e->kind == ElementKind::Parameter || m_external.count(e.get()))
            continue;
        out.push_back(e.get());
    }
    return out;
}

const Element* Comparer::Partner(const Element* e, bool fromOld) const
{
    if (!e)
        return nullptr;
    const auto& map = fromOld ? m_oldToNew : m_newToOld;
    auto it = map.find(e);
    return it == map.end() ? nullptr : it->second;
}

bool Comparer::Same(const Element* before, const Element* after) const
{
    if (!before || !after)
        return before == after;
    if (m_external.count(before) || m_external.count(after))
        return before->kind == after->kind && before->name.Equals(after->name);
    return Partner(before, true) == after;
}

void Comparer::Pair()
{
    for (const Model* m : {&m_old, &m_new})
        for (const Class* c : m->externalClasses)
            m_external.insert(c);
    std::vector<const Element*> olds = Elements(m_old), news = Elements(m_new);
    m_oldToNew.reserve(olds.size());
    m_newToOld.reserve(news.size());
    // By unique id first: a renamed or moved element keeps it.
    for (const Element* n : news) {
        if (n->quid.empty())
            continue;
        const Element* o = m_old.FindByQuid(n->quid);
        if (o && o->kind == n->kind && !m_external.count(o) && !m_oldToNew.count(o)) {
            m_oldToNew[o] = n;
            m_newToOld[n] = o;
        }
    }
    PairByPath(olds, news);
}

void Comparer::PairByPath(const std::vector<const Element*>& olds, const std::vector<const Element*>& news)
{
    // Elements without a partner yet (no ids, or ids that changed) by kind and path; the
    // first of equal paths pairs with the first.
    std::multimap<std::pair<int, std::string>, const Element*> byPath;
    for (const Element* o : olds)
        if (!m_oldToNew.count(o))
            byPath.emplace(std::make_pair(static_cast<int>(o->kind), PathOf(*o)), o);
    if (byPath.empty())
        return;
    for (const Element* n : news) {
        if (m_newToOld.count(n))
            continue;
        auto it = byPath.find(std::make_pair(static_cast<int>(n->kind), PathOf(*n)));
        if (it == byPath.end())
            continue;
        m_oldToNew[it->second] = n;
        m_newToOld[n] = it->second;
        byPath.erase(it);
    }
}

void Comparer::Run()
{
    Pair();
    for (const Element* n : Elements(m_new)) {
        if (const Element* o = Partner(n, false))
            Matched(*o, *n);
        else
            Added(*n);
    }
    for (const Element* o : Elements(m_old))
        if (!Partner(o, true))
            Removed(*o);
    // A model added or deleted (git's driver compares it with no model at all): its settings
    // are no change of their own.
    if (m_old.rootCategory && m_new.rootCategory)
        Properties(m_old, m_new);
    SortChanges(m_result.changes);
}

void Comparer::Mark(const Element& e, char sign)
{
    if (!e.quid.empty())
        m_result.marks.emplace(U8(e.quid), sign); // an element's own sign wins over '~'
    // The boxes and lines that show the element's class, association or component change too.
    for (const Element* p = ParentOf(e); p; p = ParentOf(*p)) {
        if (p->kind == ElementKind::Category || p->kind == ElementKind::Subsystem || p->kind == ElementKind::Model)
            break;
        if (!p->quid.empty())
            m_result.marks.emplace(U8(p->quid), '~');
    }
    if (e.kind == ElementKind::Role && e.owner && !e.owner->quid.empty())
        m_result.marks.emplace(U8(e.owner->quid), '~');
}

void Comparer::Add(char sign, const Element& e, const std::string& field, const std::string& before,
                   const std::string& after, const Element* oldE, const Element* newE, std::string text)
{
    Change c;
    c.sign = sign;
    c.kind = KindWord(e);
    c.element = PathOf(e);
    c.field = field;
    c.before = before;
    c.after = after;
    c.group = GroupOf(e);
    c.owner = OwnerOf(e);
    c.id = U8(e.quid);
    c.oldElement = oldE;
    c.newElement = newE;
    c.text = text.empty() ? std::string(1, sign) + " " + c.kind + " " + c.element +
                                (field.empty() ? std::string() : ": " + field + " " + before + " → " + after)
                          : std::move(text);
    m_result.changes.push_back(std::move(c));
    Mark(e, sign);
}

void Comparer::Field(const Element& o, const Element& n, const char* field, const std::string& before,
                     const std::string& after, bool quote)
{
    if (before != after)
        Add('~', n, field, Shown(before, quote), Shown(after, quote), &o, &n);
}

void Comparer::Field(const Element& o, const Element& n, const char* field, const ModelText& before,
                     const ModelText& after, bool quote)
{
    if (!before.Equals(after))
        Add('~', n, field, Shown(U8(before), quote), Shown(U8(after), quote), &o, &n);
}

void Comparer::Flag(const Element& o, const Element& n, const char* field, bool before, bool after)
{
    if (before != after)
        Add('~', n, field, before ? "True" : "False", after ? "True" : "False", &o, &n);
}

void Comparer::Export(const Element& o, const Element& n, int before, int after)
{
    if (before != after)
        Add('~', n, "export", ExportWord(before), ExportWord(after), &o, &n);
}

bool Comparer::CoveredByParent(const Element& e, bool removed) const
{
    if (!removed)
        // An added class's superclasses are in its own line.
        return e.kind == ElementKind::InheritRelation && e.owner && !Partner(e.owner, false);
    for (const Element* p = ParentOf(e); p && !IsRoot(*p); p = ParentOf(*p))
        if (!Partner(p, true) && !m_external.count(p))
            return true;
    return false;
}

namespace {

std::string Joined(const std::vector<std::string>& parts, const char* sep)
{
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : sep) + p;
    return out;
}

std::string Signature(const Operation& op)
{
    std::vector<std::string> params;
    for (const Parameter* p : op.parameters)
        params.push_back(U8(p->name) + (p->type.empty() ? "" : ": " + U8(p->type)));
    return Joined(params, ", ");
}

} // namespace

std::string Comparer::AddedSummary(const Element& e) const
{
    std::vector<std::string> parts;
    auto named = [&](const char* one, const char* many, const std::vector<std::string>& names) {
        if (!names.empty())
            parts.push_back(std::string(names.size() == 1 ? one : many) + " " + Joined(names, ", "));
    };
    switch (e.kind) {
    case ElementKind::Class: {
        const auto& c = static_cast<const Class&>(e);
        std::vector<std::string> supers, modules;
        for (const Relation* r : c.superclasses)
            supers.push_back(SupplierOf(*r));
        for (const Module* m : c.assignedModules)
            modules.push_back(U8(m->name));
        named("superclass", "superclasses", supers);
        named("component", "components", modules);
        break;
    }
    case ElementKind::Attribute:
        if (!static_cast<const Attribute&>(e).type.empty())
            parts.push_back("type " + U8(static_cast<const Attribute&>(e).type));
        break;
    case ElementKind::Operation: {
        const auto& op = static_cast<const Operation&>(e);
        if (!op.parameters.empty())
            parts.push_back("parameters " + Signature(op));
        if (!op.returnType.empty())
            parts.push_back("result " + U8(op.returnType));
        break;
    }
    case ElementKind::Role: {
        const auto& r = static_cast<const Role&>(e);
        parts.push_back("class " + SupplierOf(r));
        if (!r.cardinality.empty())
            parts.push_back("multiplicity " + U8(r.cardinality));
        break;
    }
    case ElementKind::Module: {
        const auto& m = static_cast<const Module&>(e);
        if (m.parentSubsystem && !m.parentSubsystem->isRoot)
            parts.push_back("component package " + PathOf(*m.parentSubsystem));
        if (!m.language.empty())
            parts.push_back("language " + U8(m.language));
        break;
    }
    default:
        break;
    }
    return parts.empty() ? std::string() : " (" + Joined(parts, "; ") + ")";
}

void Comparer::Added(const Element& e)
{
    if (e.kind == ElementKind::Association || IsRoot(e)) // its roles say it; the roots are in every model
        return Mark(e, '+');
    if (CoveredByParent(e, false))
        return Mark(e, '+');
    Add('+', e, {}, {}, {}, nullptr, &e, "+ " + std::string(KindWord(e)) + " " + PathOf(e) + AddedSummary(e));
}

void Comparer::Removed(const Element& e)
{
    if (e.kind == ElementKind::Association || IsRoot(e) || CoveredByParent(e, true))
        return Mark(e, '-');
    Add('-', e, {}, {}, {}, &e, nullptr);
}

void Comparer::Matched(const Element& o, const Element& n)
{
    Common(o, n);
    switch (n.kind) {
    case ElementKind::Class: ClassFields(static_cast<const Class&>(o), static_cast<const Class&>(n)); break;
    case ElementKind::Attribute: AttributeFields(static_cast<const Attribute&>(o), static_cast<const Attribute&>(n)); break;
    case ElementKind::Operation: OperationFields(static_cast<const Operation&>(o), static_cast<const Operation&>(n)); break;
    case ElementKind::Role: RoleFields(static_cast<const Role&>(o), static_cast<const Role&>(n)); break;
    case ElementKind::Module: ModuleFields(static_cast<const Module&>(o), static_cast<const Module&>(n)); break;
    case ElementKind::Category:
    case ElementKind::Subsystem: PackageFields(o, n); break;
    case ElementKind::InheritRelation:
    case ElementKind::ClassDependency:
    case ElementKind::RealizeRelation:
    case ElementKind::HasRelationship:
    case ElementKind::ModuleVisibilityRelationship:
        RelationFields(static_cast<const Relation&>(o), static_cast<const Relation&>(n));
        break;
    default: break;
    }
}

DiffResult CompareModels(const Model& before, const Model& after, const DiffOptions& options)
{
    DiffResult result;
    Comparer(before, after, options, result).Run();
    return result;
}

size_t DiffResult::Count(char sign, bool layoutOnly) const
{
    return static_cast<size_t>(std::count_if(changes.begin(), changes.end(),
                                             [&](const Change& c) { return c.sign == sign && c.layout == layoutOnly; }));
}

bool DiffResult::DesignChanged() const
{
    return std::any_of(changes.begin(), changes.end(), [](const Change& c) { return !c.layout; });
}

void SortChanges(std::vector<Change>& changes)
{
    // Logical packages first, then component packages, the model, the diagrams.
    auto rank = [](const std::string& group) {
        if (group == "Diagrams")
            return 4;
        if (group == "Model")
            return 3;
        if (group.compare(0, 14, "Component View") == 0)
            return 2;
        return group == "Logical View" ? 0 : 1;
    };
    std::stable_sort(changes.begin(), changes.end(), [&](const Change& a, const Change& b) {
        const int ra = rank(a.group), rb = rank(b.group);
        if (ra != rb)
            return ra < rb;
        if (a.group != b.group)
            return a.group < b.group;
        return a.owner < b.owner;
    });
}

} // namespace VexloDiff
