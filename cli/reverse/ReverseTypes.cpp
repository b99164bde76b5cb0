// Types read back: a type the code adds becomes a class of the model, and the bases a
// declaration lists become its generalizations.
#include "CompareSupport.h"

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

const Class* BaseClass(const FileContext& c, const std::string& name, const TypeDecl& u)
{
    // C# names a base with its namespaces ("LendingServer.Model.Entity").
    const Class* base = c.model.FindClass(Widen(name));
    if (const size_t dot = name.rfind('.'); !base && dot != std::string::npos)
        base = c.model.FindClass(Widen(name.substr(dot + 1)));
    if (!base)
        c.NotReadBack(u.line, "the base " + name + " of " + u.name +
                                  " is not a class of the model (add it to the model, or to the code as a type)");
    return base;
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
    for (const std::string& name : u.bases)
        if (const Class* base = BaseClass(c, name, u)) {
            nc.superclasses.push_back(base);
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
    c.Add(
        {"add class " + path + " (" + (u.kind == "class" ? "" : u.kind + "; ") +
             (bases.empty() ? "" : "superclass " + bases + "; ") + "in no diagram)" + c.At(u.line),
         [sibling, nc](ModelWriter& w) {
             std::vector<std::string> ids;
             w.AddClass(*sibling->parentCategory, sibling->assignedModules[0], nc, &ids);
             return ids;
         },
         methods});
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

void CompareBases(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u)
{
    for (const std::string& name : u.bases) {
        if (std::find(g.bases.begin(), g.bases.end(), name) != g.bases.end())
            continue;
        if (const Class* base = BaseClass(c, name, u))
            c.Change("add superclass " + name + " to class " + ClassPath(cls) + c.At(u.line),
                     [&cls, base](ModelWriter& w) { w.AddSuperclass(cls, *base); });
    }
    for (const std::string& name : g.bases) {
        if (std::find(u.bases.begin(), u.bases.end(), name) != u.bases.end())
            continue;
        const Relation* relation = nullptr;
        for (const Relation* r : cls.superclasses)
            if (r->supplier && r->supplier->name == Widen(name))
                relation = r;
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
