#include "CodeImpact.h"

#include "Console.h"

#include <set>

namespace VexloCli {

using namespace RoseHost;

namespace {

const Element* Up(const Element& e)
{
    switch (e.kind) {
    case ElementKind::Role: { // written into the class at its own end
        const Role& r = static_cast<const Role&>(e);
        return r.cls ? static_cast<const Element*>(r.cls) : e.owner;
    }
    case ElementKind::Class: {
        const auto& c = static_cast<const Class&>(e);
        return c.parentClass ? static_cast<const Element*>(c.parentClass) : c.parentCategory;
    }
    case ElementKind::Module: return static_cast<const Module&>(e).parentSubsystem;
    case ElementKind::Subsystem: return static_cast<const Subsystem&>(e).parent;
    case ElementKind::Category: return static_cast<const Category&>(e).parent;
    default: return e.owner;
    }
}

class Impact {
public:
    Impact(const Model& model, const PathSymbolLookup& lookup) : m_model(model), m_lookup(lookup) {}

    // The components whose text holds the element.
    void Element(const RoseHost::Element& e, bool itself)
    {
        for (const RoseHost::Element* p = &e; p; p = Up(*p)) {
            switch (p->kind) {
            case ElementKind::Class:
                Class(static_cast<const RoseHost::Class&>(*p), itself && p == &e);
                return;
            case ElementKind::Module:
                m_modules.insert(static_cast<const Module*>(p));
                return;
            case ElementKind::Subsystem:
                Below(static_cast<const Subsystem&>(*p));
                return;
            case ElementKind::Category: // a package's name is a C# namespace of every class in it
                for (const RoseHost::Class* c : m_model.allClasses)
                    for (const RoseHost::Element* q = c; q; q = Up(*q))
                        if (q == p)
                            Class(*c, false);
                return;
            case ElementKind::Model:
                m_modules.insert(m_model.allModules.begin(), m_model.allModules.end());
                return;
            default:
                break;
            }
        }
    }

    void Files(std::set<std::string>& out) const
    {
        for (const Module* m : m_modules)
            if (std::optional<ComponentOutput> o = ComponentOutputOf(m_model, *m, m_lookup); o && o->generated)
                out.insert(Narrow(o->path));
    }

private:
    void Class(const RoseHost::Class& c, bool itself)
    {
        m_modules.insert(c.assignedModules.begin(), c.assignedModules.end());
        if (!itself)
            return;
        // Its name stands in the classes that derive from it, use it or hold roles on it.
        for (const RoseHost::Class* other : m_model.allClasses) {
            bool names = false;
            for (const auto* list : {&other->superclasses, &other->dependencies, &other->realizations, &other->hasRelations})
                for (const Relation* r : *list)
                    names = names || r->supplier == &c;
            for (const Association* a : m_model.allAssociations)
                for (const Role* r : {a->role1, a->role2})
                    names = names || (r && r->cls == other && r->OtherRole() && r->OtherRole()->cls == &c);
            if (names)
                m_modules.insert(other->assignedModules.begin(), other->assignedModules.end());
        }
    }

    void Below(const Subsystem& s)
    {
        m_modules.insert(s.modules.begin(), s.modules.end());
        for (const Subsystem* sub : s.subsystems)
            Below(*sub);
    }

    const Model& m_model;
    const PathSymbolLookup& m_lookup;
    std::set<const Module*> m_modules;
};

} // namespace

std::vector<std::string> FilesAltered(const VexloDiff::DiffResult& result, const Model& before, const Model& after,
                                      const PathSymbolLookup& lookup)
{
    Impact old(before, lookup), now(after, lookup);
    for (const VexloDiff::Change& c : result.changes) {
        if (c.layout)
            continue;
        // A class's own line (renamed, moved, its kind) changes the classes that name it too.
        const bool itself = c.field.empty() || c.kind == "class";
        if (c.oldElement)
            old.Element(*c.oldElement, itself);
        if (c.newElement)
            now.Element(*c.newElement, itself);
    }
    std::set<std::string> files;
    old.Files(files);
    now.Files(files);
    return {files.begin(), files.end()};
}

} // namespace VexloCli
