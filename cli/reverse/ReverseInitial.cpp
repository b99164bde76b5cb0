// Initial values read back. The generators write, before the body zone of each
// constructor, "F<Name>:=<value>;" (C#: "F<Name>=<value>;") for each attribute with an
// initial value and a field (C#: not for const attributes, whose value stands in the
// field): a value changed, added or taken away there is the attribute's initial value.
#include "CompareSupport.h"

#include <cwctype>
#include <map>
#include <set>

namespace VexloReverse::Detail {

namespace {

bool IsTrue(const std::wstring& v) { return v == L"TRUE" || v == L"True" || v == L"true"; }

const Attribute* AttributeOfField(const Class& cls, const std::string& field)
{
    if (field.size() < 2 || field[0] != 'F')
        return nullptr;
    for (const Attribute* a : cls.attributes)
        if (a->name == Widen(field.substr(1)))
            return a;
    return nullptr;
}

// Why the generator cannot write this initialisation; "" when it can.
std::string Unwritable(const FileContext& c, const Operation& op, const VexloCode::Initialisation& i, const Attribute* a)
{
    const Class& cls = *op.parentClass;
    const std::string where = "the statement '" + i.text + "' in " + i.scope + " stands before its body zone, where ";
    std::wstring type = c.model.GetPropertyValue(op, L"Delphi", L"Type");
    for (wchar_t& ch : type)
        ch = static_cast<wchar_t>(std::towlower(ch));
    const bool constructor = c.user.language == Language::Delphi
                                 ? type == L"constructor"
                                 : op.name == cls.name && op.returnType == cls.name;
    if (!constructor)
        return where + "the generator writes nothing (it writes the fields' initial values only into constructors): "
                       "move it into the zone";
    if (i.field.empty())
        return where + "the generator writes only the initial values of its class's fields: move it into the zone";
    if (!a)
        return where + "the generator writes only the initial values of its class's fields, and " + i.field +
               " is no field of an attribute of " + Narrow(cls.name);
    const std::wstring tool = c.user.language == Language::Delphi ? L"Delphi" : L"C#";
    if (!IsTrue(c.model.GetPropertyValue(*a, tool, L"GenerateDataMember")))
        return where + "the generator writes an initial value only for an attribute with a field (" + i.field +
               "'s attribute has \"GenerateDataMember\" false)";
    if (c.user.language == Language::CSharp && IsTrue(c.model.GetPropertyValue(*a, tool, L"Const")))
        return where + "the generator writes no const attribute's value (it stands in the field declaration)";
    return "";
}

} // namespace

void CompareInitialisations(const FileContext& c, const CodeFile& generated)
{
    std::map<std::string, std::map<std::string, std::string>> before; // constructor id -> field -> value
    for (const auto& i : generated.initialisations)
        if (!i.field.empty())
            before[QuidOf(i.methodId)][i.field] = i.value;
    std::map<std::string, int> present; // the methods the user's file still has, with their lines
    for (const TypeDecl& t : c.user.types)
        for (const Member& m : t.members)
            if (m.kind == Member::Kind::Method && !m.uniqueId.empty())
                present.emplace(QuidOf(m.uniqueId), m.line);
    std::map<const Attribute*, std::map<std::string, int>> wanted; // attribute -> value -> line
    std::map<std::string, std::set<std::string>> kept;             // constructor id -> fields the code has
    for (const auto& i : c.user.initialisations) {
        const std::string id = QuidOf(i.methodId);
        const Element* e = c.model.FindByQuid(Widen(id));
        const Operation* op = e && e->kind == ElementKind::Operation ? static_cast<const Operation*>(e) : nullptr;
        if (!op || !op->parentClass)
            continue;
        const Attribute* a = AttributeOfField(*op->parentClass, i.field);
        if (const std::string why = Unwritable(c, *op, i, a); !why.empty()) {
            c.NotReadBack(i.line, why);
            continue;
        }
        kept[id].insert(i.field);
        const auto& was = before[id];
        if (auto g = was.find(i.field); g == was.end() || g->second != i.value)
            wanted[a].emplace(i.value, i.line);
    }
    for (const auto& [id, fields] : before)
        for (const auto& [field, value] : fields) {
            const Element* e = present.count(id) ? c.model.FindByQuid(Widen(id)) : nullptr;
            if (!e || e->kind != ElementKind::Operation || kept[id].count(field))
                continue;
            if (const Attribute* a = AttributeOfField(*static_cast<const Operation*>(e)->parentClass, field))
                wanted[a].emplace("", present[id]);
        }
    for (const auto& [a, values] : wanted) {
        const std::string path = ClassPath(*a->parentClass) + "." + Narrow(a->name);
        if (values.size() > 1) {
            std::string all;
            for (const auto& v : values)
                all += (all.empty() ? "" : ", ") + (v.first.empty() ? "none" : v.first);
            c.NotReadBack(values.rbegin()->second, "the constructors give " + path + " different initial values (" + all +
                                                       "): the generator writes the attribute's one into each");
            continue;
        }
        const auto& [value, line] = *values.begin();
        c.subject = a;
        c.Change("change initial value of attribute " + path + " to " + (value.empty() ? "none" : value) + c.At(line),
                 [a, value](ModelWriter& w) { w.SetString(*a, "initv", value); });
    }
}

} // namespace VexloReverse::Detail
