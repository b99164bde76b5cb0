// Properties read back as the settings of the attribute that gives them: "IsProperty",
// "GenerateGetOperation", "GenerateSetOperation" (Delphi: read Get<Name>, write Set<Name>;
// C#: get, set) and "GenerateDataMember" (whether its F<Name> field is there). The
// accessors' bodies go into the attribute's getbody/setbody zones.
#include "CompareSupport.h"

#include <algorithm>
#include <cctype>

namespace VexloReverse::Detail {

namespace {

const Member* Named(const std::vector<Member>& members, Member::Kind kind, const std::string& name)
{
    for (const Member& m : members)
        if (m.kind == kind && m.name == name)
            return &m;
    return nullptr;
}

struct Access {
    bool get = false, set = false;
    std::string index; // Delphi: the index parameters as the "Parameters" setting holds them
};

// What a property's accessors ask of the attribute; false (said) when the generator cannot write them.
bool AccessOf(const FileContext& c, const Member& p, Access& a)
{
    const bool delphi = c.user.language == Language::Delphi;
    const std::string get = delphi ? "Get" + p.name : "get", set = delphi ? "Set" + p.name : "set";
    if ((!p.readAccessor.empty() && p.readAccessor != get) || (!p.writeAccessor.empty() && p.writeAccessor != set)) {
        c.NotReadBack(p.line, "the property " + p.name + " reads or writes through " +
                                  (p.readAccessor != get ? p.readAccessor : p.writeAccessor) +
                                  "; the generator writes " + get + " and " + set);
        return false;
    }
    if (!p.parameters.empty() && !delphi) {
        c.NotReadBack(p.line, "the indexer " + p.name + "[...] is not read back: the C# generator writes a property's "
                              "index parameters after its name (Name[int i]), which is no C# indexer, so no model "
                              "setting gives one");
        return false;
    }
    a.index = IndexText(p);
    a.get = !p.readAccessor.empty();
    a.set = !p.writeAccessor.empty();
    return true;
}

std::vector<VexloModelWriter::Setting> AccessSettings(const FileContext& c, const Access& a, bool isProperty)
{
    const std::string tool = c.user.language == Language::Delphi ? "Delphi" : "C#";
    std::vector<VexloModelWriter::Setting> out = {{tool, "IsProperty", isProperty ? "TRUE" : "FALSE", true},
                                                  {tool, "GenerateGetOperation", a.get ? "TRUE" : "FALSE", true},
                                                  {tool, "GenerateSetOperation", a.set ? "TRUE" : "FALSE", true}};
    if (!a.index.empty())
        out.push_back({tool, "Parameters", a.index, false});
    return out;
}

// Applies the settings; an index the property lost takes "Parameters" away.
void ApplyAccess(ModelWriter& w, const Element& attr, const std::vector<VexloModelWriter::Setting>& settings)
{
    bool index = false;
    for (const auto& s : settings) {
        w.SetSetting(attr, s);
        index = index || s.name == "Parameters";
    }
    if (!index)
        w.SetSetting(attr, {settings[0].tool, "Parameters", "", false}, true);
}

// The attribute's "Kind" the text asks for: a C# property's modifier, a Delphi property's
// accessor directive; "" where the generator writes none (an interface's members, a
// Delphi property without accessors).
std::string KindOf(const TypeDecl& t, const Member& p, Language language)
{
    if (t.kind == "interface" || t.kind == "dispinterface")
        return "";
    auto has = [](const Member& m, const char* word) {
        return std::find(m.modifiers.begin(), m.modifiers.end(), word) != m.modifiers.end();
    };
    const Member* m = &p;
    if (language == Language::Delphi) {
        m = Named(t.members, Member::Kind::Method, p.readAccessor.empty() ? p.writeAccessor : p.readAccessor);
        if (!m)
            return "";
    }
    std::string kind = "common";
    for (const char* k : {"virtual", "dynamic", "reintroduce", "static", "override"})
        if (has(*m, k))
            kind = k;
    return has(*m, "abstract") ? "abstract" : kind;
}

void CompareKinds(const FileContext& c, const Attribute& attr, const TypeDecl& g, const Member* was, const TypeDecl& u,
                  const Member& p)
{
    const std::wstring tool = c.user.language == Language::Delphi ? L"Delphi" : L"C#";
    // Without a property in the generated text the attribute's setting is what it had.
    std::string before = was ? KindOf(g, *was, c.user.language) : Narrow(c.model.GetPropertyValue(attr, tool, L"Kind"));
    std::transform(before.begin(), before.end(), before.begin(), [](char ch) { return static_cast<char>(std::tolower(ch)); });
    const std::string now = KindOf(u, p, c.user.language);
    if (now.empty() || before == now || (before.empty() && now == "common"))
        return;
    const std::string value = EnumValue(c.model, tool, L"MemberKindSet", now);
    if (value.empty()) {
        c.NotReadBack(p.line, "the property " + p.name + " is " + now + ", which the " + Narrow(tool) +
                                  " generator does not write for an attribute");
        return;
    }
    c.Change("change kind of attribute " + ClassPath(*attr.parentClass) + "." + p.name + " to " + now + c.At(p.line),
             [&attr, setting = VexloModelWriter::Setting{Narrow(tool), "Kind", value, true}](ModelWriter& w) {
                 w.SetSetting(attr, setting);
             });
}

std::string IndexNote(const Access& a) { return a.index.empty() ? "" : ", index " + a.index; }

std::string AccessText(const Access& a)
{
    return a.get && a.set ? "read and write" : a.get ? "read" : a.set ? "write" : "no accessors";
}

// The accessors whose bodies go into the attribute's zones.
std::vector<AddedMethod> Carried(const FileContext& c, const TypeDecl& g, const Member& p, const Access& a,
                                 const std::string& className)
{
    std::vector<AddedMethod> out;
    const bool delphi = c.user.language == Language::Delphi;
    for (const char* accessor : {"get", "set"}) {
        if (!(accessor[0] == 'g' ? a.get : a.set))
            continue;
        const std::string method = (accessor[0] == 'g' ? "Get" : "Set") + p.name;
        // An accessor the generated text has already has its zones.
        if (delphi && Named(g.members, Member::Kind::Method, method))
            continue;
        if (!delphi && Named(g.members, Member::Kind::Property, p.name))
            continue;
        out.push_back({&p, className, "", accessor, delphi ? method : "Set" + p.name});
    }
    return out;
}

} // namespace

std::string IndexText(const Member& p)
{
    std::string out;
    for (const auto& x : p.parameters) {
        if (!out.empty())
            out += "; ";
        out += (x.kind.empty() ? "" : x.kind + " ") + x.name + (x.type.empty() ? "" : ": " + x.type) +
               (x.defaultValue.empty() ? "" : " = " + x.defaultValue);
    }
    return out;
}

bool AccessorAgrees(const TypeDecl& t, const Member& m)
{
    for (const Member& p : t.members) {
        if (p.kind != Member::Kind::Property || (p.readAccessor != m.name && p.writeAccessor != m.name))
            continue;
        Member index = p;
        if (p.writeAccessor == m.name)
            index.parameters.push_back({"Value", p.type, "", ""});
        bool same = index.parameters.size() == m.parameters.size();
        for (size_t i = 0; same && i < m.parameters.size(); ++i)
            same = index.parameters[i].name == m.parameters[i].name && index.parameters[i].type == m.parameters[i].type &&
                   index.parameters[i].kind == m.parameters[i].kind &&
                   index.parameters[i].defaultValue == m.parameters[i].defaultValue;
        return same && (p.writeAccessor == m.name ? m.type.empty() : m.type == p.type);
    }
    return false;
}

bool IsPropertyAccessor(const TypeDecl& t, const Member& m)
{
    if (m.kind != Member::Kind::Method)
        return false;
    for (const Member& p : t.members)
        if (p.kind == Member::Kind::Property && (p.readAccessor == m.name || p.writeAccessor == m.name))
            return true;
    return false;
}

void CompareProperties(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u,
                       std::vector<std::string>& fieldsTaken)
{
    const std::string className = Narrow(cls.name);
    for (const Member& p : u.members) {
        if (p.kind != Member::Kind::Property)
            continue;
        const Member* was = Named(g.members, Member::Kind::Property, p.name);
        // Storage specifiers: the Delphi generator writes a property's read and write only.
        for (const std::string& m : p.modifiers)
            for (const char* word : {"default", "stored", "nodefault", "index", "implements", "dispid", "readonly", "writeonly"})
                if (c.user.language == Language::Delphi && m.starts_with(word) &&
                    (!was || std::find(was->modifiers.begin(), was->modifiers.end(), m) == was->modifiers.end()))
                    c.NotReadBack(p.line, "the property " + p.name + " is given '" + m + "': the Delphi generator "
                                          "writes a property's read and write only, so no model setting gives it");
        if (was && was->type == p.type && was->readAccessor == p.readAccessor &&
            was->writeAccessor == p.writeAccessor && IndexText(*was) == IndexText(p) &&
            KindOf(g, *was, c.user.language) == KindOf(u, p, c.user.language))
            continue;
        const Attribute* attr = nullptr;
        for (const Attribute* x : cls.attributes)
            if (x->name == Widen(p.name))
                attr = x;
        if (was && !attr) {
            // A role's property has the type of the role's field, which the field's comparison reads back.
            const Member* field = Named(u.members, Member::Kind::Field, "F" + p.name);
            if (!field || field->type != p.type || was->readAccessor != p.readAccessor ||
                was->writeAccessor != p.writeAccessor || IndexText(*was) != IndexText(p) ||
                KindOf(g, *was, c.user.language) != KindOf(u, p, c.user.language))
                c.NotReadBack(p.line, "the property " + p.name + " comes from an association role: its type is its "
                                      "field's, its accessors and index the role's settings; change the role in the model");
            continue;
        }
        Access a;
        if (!AccessOf(c, p, a))
            continue;
        const std::string path = ClassPath(cls) + "." + p.name;
        if (!attr) {
            // A new attribute; its field, when the code declares one, is the attribute's data member.
            // A C# auto-property of a class keeps its value in a field the compiler gives it: the
            // attribute's data member does that, its initializer the attribute's initial value.
            // (Not a static one: the generator writes every data member as an instance field.)
            auto has = [&p](const char* word) { return std::find(p.modifiers.begin(), p.modifiers.end(), word) != p.modifiers.end(); };
            const bool automatic = u.kind != "interface" && has("auto") && !has("abstract") && !has("static");
            const bool field = automatic || (Named(u.members, Member::Kind::Field, "F" + p.name) &&
                                             !Named(g.members, Member::Kind::Field, "F" + p.name));
            if (field && !automatic)
                fieldsTaken.push_back("F" + p.name);
            const char* ec = ExportControlOf(p.visibility);
            VexloModelWriter::NewAttribute na{p.name, p.type, automatic ? p.initialValue : "", ec ? ec : "Public", false,
                                              p.documentation,
                                              AccessSettings(c, a, true)};
            const std::string tool = c.user.language == Language::Delphi ? "Delphi" : "C#";
            na.settings.push_back({tool, "GenerateDataMember", field ? "TRUE" : "FALSE", true});
            if (const std::string kind = KindOf(u, p, c.user.language); !kind.empty() && kind != "common")
                if (const std::string value = EnumValue(c.model, Widen(tool), L"MemberKindSet", kind); !value.empty())
                    na.settings.push_back({tool, "Kind", value, true});
            std::vector<AddedMethod> carried = Carried(c, g, p, a, className);
            c.Add({"add attribute " + path + ": " + p.type + " (a property, " + AccessText(a) + IndexNote(a) +
                                         (field ? "" : ", no field") + ")" + c.At(p.line),
                                     [&cls, na, n = carried.size()](ModelWriter& w) {
                                         return std::vector<std::string>(n, w.AddAttribute(cls, na));
                                     },
                                     carried});
            continue;
        }
        if (was && was->type != p.type && Named(g.members, Member::Kind::Field, "F" + p.name) == nullptr)
            c.Change("change type of attribute " + path + " to " + p.type + c.At(p.line),
                     [attr, type = p.type](ModelWriter& w) { w.SetString(*attr, "type", type); });
        if (attr)
            CompareKinds(c, *attr, g, was, u, p);
        Access before;
        if (was)
            AccessOf(c, *was, before);
        if (was && before.get == a.get && before.set == a.set && before.index == a.index)
            continue;
        std::vector<AddedMethod> carried = Carried(c, g, p, a, className);
        const std::string index = a.index.empty() && !before.index.empty() ? ", no index" : IndexNote(a);
        c.Add({"make attribute " + path + " a property (" + AccessText(a) + index + ")" + c.At(p.line),
                                 [attr, settings = AccessSettings(c, a, true), n = carried.size()](ModelWriter& w) {
                                     ApplyAccess(w, *attr, settings);
                                     return std::vector<std::string>(n, Narrow(attr->quid));
                                 },
                                 carried});
    }
    // A property gone from the code: its attribute stays, without the property.
    for (const Member& p : g.members) {
        if (p.kind != Member::Kind::Property || Named(u.members, Member::Kind::Property, p.name))
            continue;
        for (const Attribute* attr : cls.attributes)
            if (attr->name == Widen(p.name))
                c.Change("make attribute " + ClassPath(cls) + "." + p.name + " no property" + c.At(u.line),
                         [attr, settings = AccessSettings(c, Access{}, false)](ModelWriter& w) {
                             ApplyAccess(w, *attr, settings);
                         });
    }
}

} // namespace VexloReverse::Detail
