// Fields read back: a field is its attribute (name, type, C# const and readonly, a const
// field's value), or its association role (a new name renames the role, another class
// of the model as its type moves the association's other end).
#include "CompareSupport.h"

namespace VexloReverse::Detail {

// What a field's modifiers ask of its attribute: C# "const" (with the initial value the
// generator writes only then) and "readonly" as the settings "Const" and "ReadOnly".
// Nothing else of a field's text comes from the model: the rest is said.
bool FieldModifiers(const FileContext& c, const Member& u, std::vector<VexloModelWriter::Setting>& settings)
{
    if (c.user.language == Language::Delphi) {
        if (!u.modifiers.empty()) {
            c.NotReadBack(u.line, "the field " + u.name + " is a class var: the Delphi generator writes every field as "
                                  "an instance field (no model setting gives class var)");
            return false;
        }
        if (!u.initialValue.empty()) {
            c.NotReadBack(u.line, "the field " + u.name + " is initialised in its declaration: the Delphi generator "
                                  "writes an attribute's initial value into each constructor (" + u.name + ":=" +
                                  u.initialValue + ";), so write it there");
            return false;
        }
        return true;
    }
    for (const std::string& m : u.modifiers)
        if (m != "const" && m != "readonly" && m != "private") {
            c.NotReadBack(u.line, "the field " + u.name + " is " + m + ": the C# generator writes fields as private, "
                                  "const or readonly only (no model setting gives " + m + ")");
            return false;
        }
    if (!u.initialValue.empty() && !Has(u, "const")) {
        c.NotReadBack(u.line, "the field " + u.name + " has an initial value but is not const: the C# generator "
                              "writes a non-const attribute's initial value into each constructor (" + u.name + "=" +
                              u.initialValue + ";), so write it there");
        return false;
    }
    settings = {{"C#", "Const", Has(u, "const") ? "TRUE" : "FALSE", true},
                {"C#", "ReadOnly", Has(u, "readonly") ? "TRUE" : "FALSE", true}};
    return true;
}

namespace {

void CompareFieldModifiers(const FileContext& c, const Element& e, const std::string& path, const Member& g,
                           const Member& u)
{
    if (g.modifiers == u.modifiers && g.initialValue == u.initialValue)
        return;
    std::vector<VexloModelWriter::Setting> settings, before;
    if (!FieldModifiers(c, u, settings) || !FieldModifiers(c, g, before))
        return;
    std::string words;
    for (const std::string& m : u.modifiers)
        if (m == "const" || m == "readonly")
            words += (words.empty() ? "" : " ") + m;
    c.Change("make attribute " + path + " " + (words.empty() ? "neither const nor readonly" : words) +
                 (u.initialValue.empty() ? "" : " = " + u.initialValue) + c.At(u.line),
             [&e, settings, init = u.initialValue, had = g.initialValue](ModelWriter& w) {
                 for (const auto& s : settings)
                     w.SetSetting(e, s);
                 if (init != had)
                     w.SetString(e, "initv", init);
             });
}

// The field of a role has the type of the class at the association's other end: another
// class of the model as its type moves that end to the class.
void RetypeRole(const FileContext& c, const Class& cls, const Role& role, const Member& u)
{
    const Role* other = role.OtherRole();
    const Class* target = c.model.FindClass(Widen(u.type));
    if (const size_t dot = u.type.rfind('.'); !target && dot != std::string::npos)
        target = c.model.FindClass(Widen(u.type.substr(dot + 1)));
    if (!other || !target) {
        c.NotReadBack(u.line, "the field " + u.name + " of the association role " + Narrow(role.name) + " has the type " +
                                  u.type + ", which is not a class of the model: the class at the association's other "
                                  "end gives the type (add the class to the model or the code first)");
        return;
    }
    c.Change("move the other end of role " + ClassPath(cls) + "." + Narrow(role.name) + " to class " + ClassPath(*target) +
                 c.At(u.line),
             [other, target](ModelWriter& w) { w.SetRoleClass(*other, *target); });
}

} // namespace

void CompareField(const FileContext& c, const Class& cls, const Member& g, const Member& u)
{
    const Element* e = ElementOf(c.model, cls, g);
    if (e && e->kind == ElementKind::Role) {
        // The field of an association role: a new name renames the role; its type is the
        // class at the other end, which the association gives.
        std::string name;
        c.subject = e;
        if (g.name != u.name && FieldName(u, name))
            c.Change("rename role " + ClassPath(cls) + "." + Narrow(e->name) + " to " + name + c.At(u.line),
                     [e, name](ModelWriter& w) { w.Rename(*e, name); });
        if (g.type != u.type)
            RetypeRole(c, cls, static_cast<const Role&>(*e), u);
        return;
    }
    if (!e || e->kind != ElementKind::Attribute) {
        if (g.name != u.name || g.type != u.type)
            c.NotReadBack(u.line, "the field " + u.name + " has no attribute in the model");
        return;
    }
    const std::string path = ClassPath(cls) + "." + Narrow(e->name);
    c.subject = e;
    std::string name;
    if (g.name != u.name) {
        if (!FieldName(u, name)) {
            c.NotReadBack(u.line, "the field " + u.name + " cannot be generated: field names are F + the attribute's name");
            return;
        }
        c.Change("rename attribute " + path + " to " + name + c.At(u.line), [e, name](ModelWriter& w) { w.Rename(*e, name); });
    }
    if (g.type != u.type)
        c.Change("change type of attribute " + path + " to " + u.type + c.At(u.line),
                 [e, type = u.type](ModelWriter& w) { w.SetString(*e, "type", type); });
    CompareFieldModifiers(c, *e, path, g, u);
}

} // namespace VexloReverse::Detail
