// Types read back: a type the code adds becomes a class of the model, and the bases a
// declaration lists become its generalizations.
#include "CompareSupport.h"

#include <algorithm>
#include <set>

namespace VexloReverse::Detail {

namespace {

// The class standing for a file's existing types: the new type goes into its package and component.
const Class* SiblingOf(const Model& model, const CodeFile& generated)
{
    for (const TypeDecl& t : generated.types) {
        const Element* e = t.uniqueId.empty() ? nullptr : model.FindByQuid(Widen(QuidOf(t.uniqueId)));
        if (!e || e->kind != ElementKind::Class)
            e = model.FindClass(Widen(t.name));
        if (e && e->kind == ElementKind::Class && !static_cast<const Class*>(e)->assignedModules.empty() &&
            static_cast<const Class*>(e)->parentCategory)
            return static_cast<const Class*>(e);
    }
    return nullptr;
}

// C# names a base with its namespaces ("LendingServer.Model.Entity").
std::string LastName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

std::string NoBase(const FileContext& c, const std::string& name, const TypeDecl& u)
{
    return c.shown + ":" + std::to_string(u.line) + ": the base " + name + " of " + u.name +
           " is not a class of the model (add it to the model, or to the code as a type)";
}

const Class* BaseClass(const FileContext& c, const std::string& name, const TypeDecl& u, bool say = true)
{
    const Class* base = c.model.FindClass(Widen(name));
    if (!base && name.find('.') != std::string::npos)
        base = c.model.FindClass(Widen(LastName(name)));
    if (!base && say)
        c.out.notReadBack.push_back(NoBase(c, name, u));
    return base;
}

// Takes a base out of an added class's line ("superclass A, B; ").
void DropBase(std::string& line, const std::string& name)
{
    for (const auto& [from, to] : std::initializer_list<std::pair<std::string, std::string>>{
             {", " + name + ";", ";"}, {"superclass " + name + ", ", "superclass "}, {"superclass " + name + "; ", ""}})
        if (const size_t at = line.find(from); at != std::string::npos) {
            line.replace(at, from.size(), to);
            return;
        }
}

} // namespace

void AddType(const FileContext& c, const CodeFile& generated, const TypeDecl& u)
{
    const bool delphi = c.user.language == Language::Delphi;
    const std::wstring tool = delphi ? L"Delphi" : L"C#";
    const Class* sibling = SiblingOf(c.model, generated);
    if (!sibling) {
        c.NotReadBack(u.line, "the " + u.kind + " " + u.name +
                                  " stands in a file with no class of the model: its package and component are unknown");
        return;
    }
    VexloModelWriter::NewClass nc;
    nc.name = u.name;
    nc.documentation = u.documentation;
    nc.language = Narrow(tool);
    if (u.kind != "class") {
        std::string kind = EnumValue(c.model, tool, L"ClassKindSet", u.kind);
        if (kind.empty()) {
            c.NotReadBack(u.line, "the " + u.kind + " " + u.name + " is a kind of type the " + Narrow(tool) +
                                      " generator does not write (no value of a class's \"Kind\" gives it)");
            return;
        }
        if (u.kind == "enum" && !EnumExpressible(c, u))
            return;
        nc.settings.push_back({Narrow(tool), "Kind", kind, true});
    }
    if (!u.guid.empty())
        nc.settings.push_back({Narrow(tool), "GUID", u.guid, false});
    std::string bases;
    std::map<std::string, std::pair<std::string, std::string>> unknown;
    for (const std::string& name : u.bases) {
        if (const Class* base = BaseClass(c, name, u, false))
            nc.superclasses.push_back(base);
        else if (unknown.emplace(LastName(name), std::make_pair(name, NoBase(c, name, u))).second)
            nc.superclasses.push_back(LastName(name)); // perhaps another type of the run
        else
            continue;
        bases += (bases.empty() ? "" : ", ") + name;
    }
    std::vector<AddedMethod> methods;
    for (const Member& m : u.members) {
        std::string name;
        if (m.kind == Member::Kind::EnumValue) {
            nc.attributes.push_back(Literal(m));
        } else if (m.kind == Member::Kind::Field && FieldName(m, name)) {
            nc.attributes.push_back({name, m.type, "", "Private", false, m.documentation, {}});
        } else if (m.kind == Member::Kind::Method && Expressible(c, m)) {
            const char* ec = ExportControlOf(m.visibility);
            nc.operations.push_back({m.name, m.type, ec ? ec : "Public", m.documentation, ParametersOf(m),
                                     NewOperationSettings(c, *sibling, m)});
            methods.push_back({&m, u.name, ""});
        } else if (m.kind != Member::Kind::Method) {
            c.NotReadBack(m.line, "the declaration " + m.name + " of the new " + u.kind + " " + u.name +
                                      " is not read back (only fields named F + a name and methods are)");
        }
    }
    std::string path = ClassPath(*sibling);
    path = path.substr(0, path.size() - sibling->name.size()) + u.name;
    auto added = std::make_shared<VexloModelWriter::NewClass>(std::move(nc));
    c.Add(
        {"add class " + path + " (" + (u.kind == "class" ? "" : u.kind + "; ") +
             (bases.empty() ? "" : "superclass " + bases + "; ") + "in no diagram)" + c.At(u.line),
         [sibling, added](ModelWriter& w) {
             std::vector<std::string> ids;
             w.AddClass(*sibling->parentCategory, sibling->assignedModules[0], *added, &ids);
             return ids;
         },
         methods});
    c.out.changes.back().newClass = added;
    c.out.changes.back().unknownBases = std::move(unknown);
}

void CompareKind(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u)
{
    if (g.kind == u.kind)
        return;
    const std::wstring tool = c.user.language == Language::Delphi ? L"Delphi" : L"C#";
    if (g.kind == "enum" || u.kind == "enum") {
        c.NotReadBack(u.line, "the " + g.kind + " " + u.name + " is declared as " + (u.kind == "enum" ? "an " : "a ") +
                                  u.kind + ": make it one in the model (its attributes are an enumeration's values)");
        return;
    }
    const std::string kind = EnumValue(c.model, tool, L"ClassKindSet", u.kind);
    if (kind.empty()) {
        c.NotReadBack(u.line, "the " + g.kind + " " + u.name + " is declared as " + (u.kind == "object" ? "an " : "a ") +
                                  u.kind + ", a kind of type the " + Narrow(tool) + " generator does not write");
        return;
    }
    c.Change("change kind of class " + ClassPath(cls) + " to " + u.kind + c.At(u.line),
             [&cls, setting = VexloModelWriter::Setting{Narrow(tool), "Kind", kind, true}](ModelWriter& w) {
                 w.SetSetting(cls, setting);
             });
}

namespace {

// A base as the generator writes it (C#: with its namespaces) or as typed (short): the same.
bool Lists(const std::vector<std::string>& bases, const std::string& name)
{
    return std::any_of(bases.begin(), bases.end(), [&](const std::string& b) { return LastName(b) == LastName(name); });
}

// The class's generalization or realization whose supplier is named so (null: none).
const Relation* BaseRelation(const Class& cls, const std::string& name)
{
    for (const auto* list : {&cls.superclasses, &cls.realizations})
        for (const Relation* r : *list)
            if (r->supplier && r->supplier->name == Widen(LastName(name)))
                return r;
    return nullptr;
}

} // namespace

void CompareBases(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u)
{
    for (const std::string& name : u.bases) {
        if (Lists(g.bases, name))
            continue;
        if (const Class* base = BaseClass(c, name, u, false)) {
            if (BaseRelation(cls, Narrow(base->name)))
                continue; // the model has it already
            c.Change("add superclass " + name + " to class " + ClassPath(cls) + c.At(u.line),
                     [&cls, base](ModelWriter& w) { w.AddSuperclass(cls, *base); });
            continue;
        }
        // Perhaps a type the run adds (in this file or another): LinkAddedBases decides.
        c.Change("add superclass " + name + " to class " + ClassPath(cls) + c.At(u.line),
                 [&cls, added = LastName(name)](ModelWriter& w) { w.AddSuperclass(cls, VexloModelWriter::NewBase(added)); });
        c.out.changes.back().addedBase = LastName(name);
        c.out.changes.back().unknownBases[LastName(name)] = {name, NoBase(c, name, u)};
    }
    for (const std::string& name : g.bases) {
        if (Lists(u.bases, name))
            continue;
        const Relation* relation = BaseRelation(cls, name);
        if (!relation)
            continue;
        const std::string what = "superclass " + name + " of class " + ClassPath(cls);
        if (c.prune)
            c.Change("remove " + what + c.At(u.line), [relation](ModelWriter& w) { w.Remove(*relation); });
        else
            c.out.kept.push_back("kept in the model: " + what + " (it is gone from the declaration in " + c.shown +
                                 "; --prune removes it)");
    }
}

} // namespace VexloReverse::Detail

namespace VexloReverse {

namespace {

void DropAddedBase(ModelChange& change, const std::string& name, const std::string& written)
{
    auto& bases = change.newClass->superclasses;
    bases.erase(std::remove_if(bases.begin(), bases.end(),
                               [&](const VexloModelWriter::NewBase& b) { return !b.cls && b.added == name; }),
                bases.end());
    Detail::DropBase(change.line, written);
    Detail::DropBase(change.value, written);
}

} // namespace

namespace {

// Whether the new class `name`, through its bases the run adds, derives from `target`.
bool DerivesFrom(const std::map<std::string, const VexloModelWriter::NewClass*>& added, const std::string& name,
                 const RoseHost::Class& target, std::set<std::string>& seen)
{
    const auto it = added.find(name);
    if (it == added.end() || !seen.insert(name).second)
        return false;
    for (const VexloModelWriter::NewBase& b : it->second->superclasses)
        if (b.cls == &target || (!b.cls && DerivesFrom(added, b.added, target, seen)))
            return true;
    return false;
}

// Bases given to classes of the model that no type of the run adds, or that would lead
// back to the class itself: said, and their changes go.
void LinkBasesOfModelClasses(Comparison& comparison, std::vector<size_t>* firstChange)
{
    std::map<std::string, const VexloModelWriter::NewClass*> added;
    for (const ModelChange& change : comparison.changes)
        if (change.newClass)
            added.emplace(change.newClass->name, change.newClass.get());
    for (size_t i = comparison.changes.size(); i-- > 0;) {
        ModelChange& change = comparison.changes[i];
        if (change.addedBase.empty())
            continue;
        const auto& [written, why] = change.unknownBases.begin()->second;
        std::set<std::string> seen;
        const auto* cls = static_cast<const RoseHost::Class*>(change.element);
        if (!added.count(change.addedBase))
            comparison.notReadBack.push_back(why);
        else if (cls && DerivesFrom(added, change.addedBase, *cls, seen))
            comparison.notReadBack.push_back(why.substr(0, why.find(" is not ")) + " derives from " +
                                             Detail::Narrow(cls->name) + " in turn: a circle of bases, left out");
        else
            continue;
        comparison.changes.erase(comparison.changes.begin() + static_cast<long>(i));
        if (firstChange)
            for (size_t& first : *firstChange)
                first -= first > i ? 1 : 0;
    }
}

} // namespace

void LinkAddedBases(Comparison& comparison, std::vector<size_t>* firstChange)
{
    LinkBasesOfModelClasses(comparison, firstChange);
    std::set<std::string> added;
    for (const ModelChange& change : comparison.changes)
        if (change.newClass)
            added.insert(change.newClass->name);
    for (ModelChange& change : comparison.changes) {
        if (!change.newClass)
            continue;
        for (auto it = change.unknownBases.begin(); it != change.unknownBases.end();) {
            if (added.count(it->first) && it->first != change.newClass->name) {
                ++it;
                continue;
            }
            comparison.notReadBack.push_back(it->second.second);
            DropAddedBase(change, it->first, it->second.first);
            it = change.unknownBases.erase(it);
        }
    }
    // Bases that lead back to their class (TA = class(TB), TB = class(TA)): no order
    // gives them, the compiler would refuse them too.
    std::set<std::string> placed;
    for (const size_t i : ApplyOrder(comparison))
        if (ModelChange& change = comparison.changes[i]; change.newClass) {
            for (const auto& [name, text] : change.unknownBases)
                if (!placed.count(name)) {
                    comparison.notReadBack.push_back(text.second.substr(0, text.second.find(" is not ")) +
                                                     " derives from " + change.newClass->name +
                                                     " in turn: a circle of bases, left out");
                    DropAddedBase(change, name, text.first);
                }
            placed.insert(change.newClass->name);
        }
    for (ModelChange& change : comparison.changes)
        change.unknownBases.clear();
}


std::vector<size_t> ApplyOrder(const Comparison& comparison)
{
    const auto& changes = comparison.changes;
    std::vector<size_t> order;
    std::vector<bool> done(changes.size(), false);
    std::set<std::string> added;
    auto ready = [&](const ModelChange& change) {
        if (!change.addedBase.empty() && !added.count(change.addedBase))
            return false;
        if (change.newClass)
            for (const VexloModelWriter::NewBase& b : change.newClass->superclasses)
                if (!b.cls && !added.count(b.added))
                    return false;
        return true;
    };
    // Rounds: each adds the classes whose bases are there; what a circle holds is written
    // last, where the writer refuses it by name.
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t i = 0; i < changes.size(); ++i)
            if (!done[i] && ready(changes[i])) {
                done[i] = progress = true;
                order.push_back(i);
                if (changes[i].newClass)
                    added.insert(changes[i].newClass->name);
            }
    }
    for (size_t i = 0; i < changes.size(); ++i)
        if (!done[i])
            order.push_back(i);
    return order;
}

} // namespace VexloReverse
