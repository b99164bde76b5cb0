// References resolved once every element is known: suppliers by id, else by name, else an external class.
#include "Builder.h"

namespace RoseHost::Loading {

void Builder::Resolve()
{
    std::unordered_map<std::wstring, Class*> byName;
    auto classByName = [&](const std::wstring& name) -> Class* {
        if (byName.empty()) {
            for (Class* c : m_model.allClasses) {
                std::wstring full = c->name;
                for (const Element* o = c->owner; o && o->kind != ElementKind::Model; o = o->owner)
                    full = o->name + L"::" + full;
                byName.emplace(std::move(full), c);
            }
        }
        auto it = byName.find(name);
        return it == byName.end() ? nullptr : it->second;
    };

    for (size_t i = 0; i < m_relations.size(); ++i) {
        Relation* r = m_relations[i];
        Element* s = r->supplierQuid.empty() ? nullptr : m_model.FindByQuid(r->supplierQuid);
        if (r->kind != ElementKind::ModuleVisibilityRelationship) {
            if (s && s->kind != ElementKind::Class)
                s = nullptr;
            if (!s && !r->supplierName.empty())
                s = classByName(r->supplierName);
            if (!s && !r->supplierName.empty())
                s = External(r->supplierName, r->supplierQuid, r->kind, r->client, m_relationPlaces[i]);
        }
        r->supplier = s;
    }
    for (size_t i = 0; i < m_roles.size(); ++i) {
        Role* r = m_roles[i];
        Element* s = r->supplierQuid.empty() ? nullptr : m_model.FindByQuid(r->supplierQuid);
        Class* c = s && s->kind == ElementKind::Class ? static_cast<Class*>(s) : nullptr;
        if (!c && !r->supplierName.empty())
            c = classByName(r->supplierName);
        if (!c && !r->supplierName.empty())
            c = External(r->supplierName, r->supplierQuid, ElementKind::Role, r->association, m_rolePlaces[i]);
        r->cls = c;
        if (c)
            c->roles.push_back(r);
    }
    std::set<std::pair<const Class*, const Module*>> assigned;
    for (const ClassModule& cm : m_classModules) {
        Element* e = m_model.FindByQuid(cm.moduleQuid);
        if (!e || e->kind != ElementKind::Module)
            continue;
        Module* m = static_cast<Module*>(e);
        if (assigned.insert({cm.cls, m}).second) {
            cm.cls->assignedModules.push_back(m);
            m->assignedClasses.push_back(cm.cls);
        }
    }
    ResolveEnumerations(m_model.defaults, &m_model);
}

Class* Builder::External(const std::wstring& written, const std::wstring& quid, ElementKind kind, const Element* client,
                const Place& place)
{
    auto other = m_otherKinds.find(quid);
    m_model.unresolved.push_back(
        {written, kind, client, place.file, place.line, other == m_otherKinds.end() ? std::wstring() : other->second});
    Class*& c = m_external[written];
    if (!c) {
        c = m_model.Create<Class>(&m_model);
        size_t sep = written.rfind(L"::");
        c->name = sep == std::wstring::npos ? written : written.substr(sep + 2);
        // A stable id of its own: ids are compared when relations are walked.
        c->quid = L"external::" + written;
        c->objectType = L"Class";
        m_model.externalClasses.push_back(c);
    }
    return c;
}

} // namespace RoseHost::Loading
