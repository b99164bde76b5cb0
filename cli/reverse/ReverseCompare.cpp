#include "ReverseCompare.h"
#include "CompareSupport.h"

#include <algorithm>
#include <map>
#include <set>

namespace VexloReverse {

namespace Detail {

// The model element a generated member stands for.
const Element* ElementOf(const Model& model, const Class& cls, const Member& g)
{
    if (!g.uniqueId.empty())
        if (const Element* e = model.FindByQuid(Widen(QuidOf(g.uniqueId))))
            return e;
    std::string name = g.name;
    if (g.kind == Member::Kind::Field && !FieldName(g, name))
        return nullptr;
    if (g.kind == Member::Kind::Method) {
        for (const Operation* o : cls.operations)
            if (o->name == Widen(name))
                return o;
        return nullptr;
    }
    for (const Attribute* a : cls.attributes)
        if (a->name == Widen(name))
            return a;
    for (const Role* r : cls.roles)
        if (r->name == Widen(name))
            return r;
    return nullptr;
}

// Pairs each user member with the generated one it was: same id, else same kind and
// name, else the next unpaired one of its kind (a rename).
std::vector<int> PairMembers(const std::vector<Member>& generated, const std::vector<Member>& user)
{
    std::vector<int> pair(user.size(), -1);
    std::vector<bool> taken(generated.size(), false);
    auto pass = [&](auto same) {
        for (size_t u = 0; u < user.size(); ++u)
            for (size_t g = 0; g < generated.size() && pair[u] < 0; ++g)
                if (!taken[g] && generated[g].kind == user[u].kind && same(generated[g], user[u])) {
                    pair[u] = static_cast<int>(g);
                    taken[g] = true;
                }
    };
    pass([](const Member& g, const Member& u) { return !u.uniqueId.empty() && QuidOf(g.uniqueId) == QuidOf(u.uniqueId); });
    pass([](const Member& g, const Member& u) {
        return g.name == u.name && (u.uniqueId.empty() || g.uniqueId.empty()) &&
               (g.kind != Member::Kind::Method || SameParameters(g, u));
    });
    pass([](const Member& g, const Member& u) { return g.name == u.name && u.uniqueId.empty(); });
    // Renames: an unpaired member in the place of an unpaired one of its kind.
    for (size_t u = 0; u < user.size(); ++u) {
        if (pair[u] >= 0 || !user[u].uniqueId.empty())
            continue;
        for (size_t g = 0; g < generated.size(); ++g) {
            if (taken[g] || generated[g].kind != user[u].kind)
                continue;
            const bool sameNext = u + 1 < user.size() && g + 1 < generated.size() && pair[u + 1] == static_cast<int>(g + 1);
            const bool samePrev = u > 0 && g > 0 && pair[u - 1] == static_cast<int>(g - 1);
            if (sameNext || samePrev) {
                pair[u] = static_cast<int>(g);
                taken[g] = true;
            }
            break;
        }
    }
    return pair;
}

bool Has(const Member& m, const char* word)
{
    return std::find(m.modifiers.begin(), m.modifiers.end(), word) != m.modifiers.end();
}

// An operation's result as the generators read it: a C# constructor is an operation named
// like its class that returns it, and a C# method without a result returns "void" (an
// empty result is written as no type at all, which C# reads as a constructor).
std::string ResultOf(const FileContext& c, const Member& u)
{
    if (c.user.language != Language::CSharp)
        return u.type;
    if (u.methodKind == "constructor")
        return u.name;
    return u.type.empty() ? "void" : u.type;
}

void CompareMethod(const FileContext& c, const Class& cls, const Member& g, const Member& u)
{
    const Element* e = ElementOf(c.model, cls, g);
    if (!e || e->kind != ElementKind::Operation) {
        if (g.name != u.name || g.type != u.type || !SameParameters(g, u))
            c.NotReadBack(u.line, "the method " + u.name + " is an accessor of an attribute; change the attribute in the model");
        return;
    }
    const std::string path = ClassPath(cls) + "." + Narrow(e->name);
    c.subject = e;
    if (g.name != u.name)
        c.Change("rename operation " + path + " to " + u.name + c.At(u.line),
                 [e, name = u.name](ModelWriter& w) { w.Rename(*e, name); });
    if (g.type != u.type)
        c.Change("change type of operation " + path + " to " + (u.type.empty() ? "none" : u.type) + c.At(u.line),
                 [e, type = ResultOf(c, u)](ModelWriter& w) { w.SetString(*e, "result", type); });
    if (!SameParameters(g, u)) {
        const Language lang = c.user.language;
        c.Change("change parameters of operation " + path + " to (" + ParameterList(u, lang) + ")" + c.At(u.line),
                 [op = static_cast<const Operation*>(e), ps = ParametersOf(u)](ModelWriter& w) { w.ReplaceParameters(*op, ps); });
    }
    const char* was = ExportControlOf(g.visibility);
    if (const char* ec = ExportControlOf(u.visibility); ec && (!was || std::string(ec) != was))
            c.Change("change visibility of operation " + path + " to " + u.visibility + c.At(u.line),
                     [e, ec](ModelWriter& w) { w.SetString(*e, "opExportControl", ec); });
    if (g.documentation != u.documentation)
        c.Change("change documentation of operation " + path + c.At(u.line),
                 [e, doc = u.documentation](ModelWriter& w) { w.SetString(*e, "documentation", doc); },
                 "documentation " + u.documentation);
    CompareDirectives(c, cls, *e, g, u);
}

// A declaration the model can express only in part says which part it leaves: what the
// generator cannot write (parameter kinds and defaults; constructors and destructors
// come from the operation's Type) unless the generated declaration has it already.
bool Expressible(const FileContext& c, const Member& u, const Member* g)
{
    bool expressible = true;
    for (size_t i = 0; i < u.parameters.size(); ++i) {
        const auto& p = u.parameters[i];
        const bool same = g && i < g->parameters.size() && g->parameters[i].kind == p.kind &&
                          g->parameters[i].defaultValue == p.defaultValue;
        if (!same && (!p.kind.empty() || !p.defaultValue.empty())) {
            const std::string what = !p.kind.empty() && !p.defaultValue.empty()
                                         ? p.kind + " with the default value " + p.defaultValue
                                     : !p.kind.empty() ? p.kind
                                                       : "given the default value " + p.defaultValue;
            c.NotReadBack(u.line, "the parameter " + p.name + " of " + u.name + " is " + what +
                                      ": the generators write a parameter as its name and type only, so no model "
                                      "setting gives " + (p.kind.empty() ? "a default value" : "a parameter kind") +
                                      "; the next generation writes the declaration without it and saves your line "
                                      "to the file's .vxlost file");
            expressible = false;
        }
    }
    if (!expressible)
        return false;
    if (u.kind == Member::Kind::Method && u.methodKind == "destructor" && c.user.language == Language::CSharp) {
        c.NotReadBack(u.line, "the destructor ~" + u.name + " is not written by the generator");
        return false;
    }
    return true;
}

void AddMember(const FileContext& c, const Class& cls, const Member& u)
{
    const std::string owner = ClassPath(cls);
    if (u.kind == Member::Kind::Field) {
        std::string name;
        if (!FieldName(u, name)) {
            c.NotReadBack(u.line, "the field " + u.name + " cannot be generated: field names are F + the attribute's name");
            return;
        }
        std::vector<VexloModelWriter::Setting> settings;
        if (!FieldModifiers(c, u, settings))
            return;
        // Only the settings that are not the defaults (both false) are written.
        std::erase_if(settings, [](const auto& s) { return s.value == "FALSE"; });
        VexloModelWriter::NewAttribute a{name, u.type, u.initialValue, "Private", false, u.documentation, settings};
        c.Change("add attribute " + owner + "." + name + ": " + u.type + c.At(u.line),
                 [&cls, a](ModelWriter& w) { w.AddAttribute(cls, a); });
    } else if (u.kind == Member::Kind::Method) {
        if (!Expressible(c, u))
            return;
        const char* ec = ExportControlOf(u.visibility);
        // A C# constructor is an operation named like its class that returns it.
        VexloModelWriter::NewOperation o{u.name, ResultOf(c, u), ec ? ec : "Public", u.documentation, ParametersOf(u),
                                         NewOperationSettings(c, cls, u)};
        c.Add({"add operation " + owner + "." + u.name + "(" + ParameterList(u, c.user.language) +
                                     ")" + (u.type.empty() ? "" : ": " + u.type) + c.At(u.line),
                                 [&cls, o](ModelWriter& w) { return std::vector<std::string>{w.AddOperation(cls, o)}; },
                                 {{&u, Narrow(cls.name), ""}}});
    } else if (u.kind == Member::Kind::Constant) {
        c.NotReadBack(u.line, "the class constant " + u.name + ": the Delphi generator writes no const section in a "
                              "class (no model setting gives one)");
    } else {
        c.NotReadBack(u.line, "the declaration " + u.name + " is not read back yet (only fields and methods are)");
    }
}

void CompareType(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u)
{
    c.subject = &cls;
    CompareKind(c, cls, g, u);
    if (g.modifiers != u.modifiers || g.visibility != u.visibility) {
        auto words = [](const TypeDecl& t) {
            std::string text = t.visibility;
            for (const std::string& m : t.modifiers)
                text += (text.empty() ? "" : " ") + m;
            return text.empty() ? std::string("none") : text;
        };
        c.NotReadBack(u.line, "the modifiers of " + u.name + " (" + words(u) + " for " + words(g) +
                                  ") are the class's settings: change them in the model");
    }
    if (g.kind == "enum" || u.kind == "enum") {
        if (g.kind == u.kind)
            CompareEnum(c, cls, g, u);
        if (g.documentation != u.documentation)
            c.Change("change documentation of class " + ClassPath(cls) + c.At(u.line),
                     [&cls, doc = u.documentation](ModelWriter& w) { w.SetString(cls, "documentation", doc); },
                     "documentation " + u.documentation);
        return;
    }
    const std::vector<int> pair = PairMembers(g.members, u.members);
    std::vector<bool> matched(g.members.size(), false);
    std::vector<std::string> fieldsTaken;
    CompareProperties(c, cls, g, u, fieldsTaken);
    for (size_t i = 0; i < u.members.size(); ++i) {
        const Member& um = u.members[i];
        if (pair[i] < 0) {
            const bool taken = std::find(fieldsTaken.begin(), fieldsTaken.end(), um.name) != fieldsTaken.end();
            if (um.kind != Member::Kind::Property && !taken && !IsPropertyAccessor(u, um))
                AddMember(c, cls, um);
            continue;
        }
        const Member& gm = g.members[static_cast<size_t>(pair[i])];
        matched[static_cast<size_t>(pair[i])] = true;
        if (um.kind == Member::Kind::Method && AccessorAgrees(u, um))
            if (const Element* e = ElementOf(c.model, cls, gm); !e || e->kind != ElementKind::Operation)
                continue; // the property's settings give it (CompareProperties)
        if (um.kind == Member::Kind::Field)
            CompareField(c, cls, gm, um);
        else if (um.kind == Member::Kind::Method && Expressible(c, um, &gm))
            CompareMethod(c, cls, gm, um);
    }
    for (size_t i = 0; i < g.members.size(); ++i) {
        if (matched[i])
            continue;
        // A field stands for its attribute, a method for its operation; accessors and
        // properties only for settings of their attribute (CompareProperties).
        const Element* e = ElementOf(c.model, cls, g.members[i]);
        const Member::Kind kind = g.members[i].kind;
        if (!e || !((kind == Member::Kind::Field && e->kind == ElementKind::Attribute) ||
                    (kind == Member::Kind::Method && e->kind == ElementKind::Operation)))
            continue;
        const std::string what = std::string(e->kind == ElementKind::Attribute ? "attribute " : "operation ") +
                                 ClassPath(cls) + "." + Narrow(e->name);
        if (c.prune)
            c.Change("remove " + what + " (its declaration is gone from " + c.shown + ")",
                     [e](ModelWriter& w) { w.Remove(*e); });
        else
            c.out.kept.push_back("kept in the model: " + what + " (its declaration is gone from " + c.shown +
                                 "; --prune removes it)");
    }
    c.subject = &cls;
    if (g.documentation != u.documentation)
        c.Change("change documentation of class " + ClassPath(cls) + c.At(u.line),
                 [&cls, doc = u.documentation](ModelWriter& w) { w.SetString(cls, "documentation", doc); },
                 "documentation " + u.documentation);
}

} // namespace Detail

using namespace Detail;

std::string ClassPath(const Class& cls)
{
    std::string path = Narrow(cls.name);
    for (const Category* c = cls.parentCategory; c && !c->isRoot; c = c->parent)
        path = Narrow(c->name) + "::" + path;
    return path;
}

void CompareFile(const Model& model, const CodeFile& generated, const CodeFile& user, const std::string& shown,
                 bool prune, Comparison& out)
{
    FileContext c{model, user, shown, prune, out};
    // What the reader cannot read in the generated text too, as the generator wrote it, is
    // the model's doing, not an edit: only the rest is said (a declaration left unread that
    // the user changed too, such as a member typed into a class whose name is no identifier).
    std::multiset<std::pair<std::string, std::string>> generatedToo;
    for (const auto& n : generated.notReadBack)
        generatedToo.insert({n.why, n.text});
    for (const auto& n : user.notReadBack) {
        if (auto it = generatedToo.find({n.why, n.text}); it != generatedToo.end())
            generatedToo.erase(it);
        else
            c.NotReadBack(n.line, n.why);
    }
    for (const TypeDecl& u : user.types) {
        const TypeDecl* g = nullptr;
        for (const TypeDecl& t : generated.types)
            if ((!u.uniqueId.empty() && QuidOf(t.uniqueId) == QuidOf(u.uniqueId)) || t.name == u.name)
                g = &t;
        const Element* e = g && !g->uniqueId.empty() ? model.FindByQuid(Widen(QuidOf(g->uniqueId))) : nullptr;
        if (g && (!e || e->kind != ElementKind::Class))
            e = model.FindClass(Widen(g->name));
        if (!g) {
            AddType(c, generated, u);
            continue;
        }
        if (!e || e->kind != ElementKind::Class) {
            c.NotReadBack(u.line, "the " + u.kind + " " + u.name + " has no class in the model");
            continue;
        }
        const Class& cls = static_cast<const Class&>(*e);
        c.subject = &cls;
        if (g->name != u.name)
            c.Change("rename class " + ClassPath(cls) + " to " + u.name + c.At(u.line),
                     [&cls, name = u.name](ModelWriter& w) { w.Rename(cls, name); });
        CompareBases(c, cls, *g, u);
        CompareType(c, cls, *g, u);
    }
    CompareInitialisations(c, generated);
}

std::vector<std::string> ThreeWay(const Model& model, Comparison& code, const Comparison& modelSide)
{
    std::vector<std::string> conflicts;
    std::vector<ModelChange> keep;
    for (ModelChange& change : code.changes) {
        const ModelChange* other = nullptr;
        for (const ModelChange& m : modelSide.changes)
            if (m.key == change.key)
                other = &m;
        if (!other) {
            keep.push_back(std::move(change));
            continue;
        }
        if (other->value == change.value)
            continue; // the model made the same change
        const Element* e = change.element ? change.element : other->element;
        conflicts.push_back(change.codePlace + ": " + change.line.substr(0, change.line.rfind(" (")) + "; " +
                            (e ? Narrow(model.PlaceOf(*e)) : std::string("the model")) + ": the model has " +
                            other->value);
    }
    code.changes = std::move(keep);
    return conflicts;
}

} // namespace VexloReverse
