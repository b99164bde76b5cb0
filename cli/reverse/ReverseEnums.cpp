// Enumerations read back: the generators write an enumeration's values as the names of
// its class's attributes, in the model's order (C#: with an attribute's initial value as
// the number), so a value added, renamed, numbered or removed is an attribute of the class.
#include "CompareSupport.h"

namespace VexloReverse::Detail {

namespace {

const Attribute* LiteralOf(const Class& cls, const std::string& name)
{
    for (const Attribute* a : cls.attributes)
        if (a->name == Widen(name))
            return a;
    return nullptr;
}

} // namespace

bool EnumExpressible(const FileContext& c, const TypeDecl& u)
{
    for (const Member& m : u.members)
        if (!m.documentation.empty()) {
            c.NotReadBack(m.line, "the value " + m.name + " of the enumeration " + u.name + " is documented: the "
                                      "generators write no documentation of an enumeration's values");
            return false;
        }
    if (c.user.language != Language::Delphi)
        return true;
    for (const Member& m : u.members)
        if (!m.initialValue.empty()) {
            c.NotReadBack(m.line, "the value " + m.name + " of the enumeration " + u.name + " has the number " +
                                      m.initialValue + ": the Delphi generator writes the values without numbers "
                                      "(the model's order gives them), so the enumeration is not read back");
            return false;
        }
    return true;
}

VexloModelWriter::NewAttribute Literal(const Member& m)
{
    return {m.name, "", m.initialValue, "Public", false, m.documentation, {}};
}

void CompareEnum(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u)
{
    if (!EnumExpressible(c, u))
        return;
    const std::vector<int> pair = PairMembers(g.members, u.members);
    std::vector<bool> matched(g.members.size(), false);
    const std::string owner = ClassPath(cls);
    for (size_t i = 0, last = 0; i < pair.size(); ++i) {
        if (pair[i] < 0)
            continue;
        if (static_cast<size_t>(pair[i]) < last) {
            c.NotReadBack(u.members[i].line, "the values of the enumeration " + u.name + " stand in another order than "
                                             "the model's attributes (" + u.members[i].name + " moved): the generator "
                                             "writes them in the model's order; change the order there");
            return;
        }
        last = static_cast<size_t>(pair[i]);
    }
    // A new value stands where it was typed: after the value before it, or before the first.
    const Attribute* previous = nullptr;
    const Attribute* first = nullptr;
    for (const Member& gm : g.members)
        if ((first = LiteralOf(cls, gm.name)))
            break;
    for (size_t i = 0; i < u.members.size(); ++i) {
        const Member& um = u.members[i];
        if (pair[i] < 0) {
            const Attribute* after = previous;
            std::string note = um.initialValue.empty() ? "" : "number " + um.initialValue;
            if (after || first)
                note += (note.empty() ? "" : ", ") + (after ? "after " + u.members[i - 1].name : std::string("first"));
            c.subject = &cls;
            c.Change("add value " + owner + "." + um.name + (note.empty() ? "" : " (" + note + ")") + c.At(um.line),
                     [&cls, after, first, a = Literal(um)](ModelWriter& w) {
                         if (after)
                             w.InsertAttribute(*after, false, a);
                         else if (first)
                             w.InsertAttribute(*first, true, a);
                         else
                             w.AddAttribute(cls, a);
                     });
            continue;
        }
        const Member& gm = g.members[static_cast<size_t>(pair[i])];
        matched[static_cast<size_t>(pair[i])] = true;
        const Attribute* e = LiteralOf(cls, gm.name);
        if (!e)
            continue;
        previous = e;
        c.subject = e;
        const std::string path = owner + "." + gm.name;
        if (gm.name != um.name)
            c.Change("rename value " + path + " to " + um.name + c.At(um.line),
                     [e, name = um.name](ModelWriter& w) { w.Rename(*e, name); });
        if (gm.initialValue != um.initialValue)
            c.Change("change number of value " + path + " to " + (um.initialValue.empty() ? "none" : um.initialValue) +
                         c.At(um.line),
                     [e, value = um.initialValue](ModelWriter& w) { w.SetString(*e, "initv", value); });
    }
    for (size_t i = 0; i < g.members.size(); ++i) {
        const Attribute* e = matched[i] ? nullptr : LiteralOf(cls, g.members[i].name);
        if (!e)
            continue;
        c.subject = e;
        const std::string what = "value " + owner + "." + g.members[i].name;
        if (c.prune)
            c.Change("remove " + what + " (its declaration is gone from " + c.shown + ")",
                     [e](ModelWriter& w) { w.Remove(*e); });
        else
            c.out.kept.push_back("kept in the model: " + what + " (it is gone from the enumeration in " + c.shown +
                                 "; --prune removes it)");
    }
    c.subject = &cls;
}

} // namespace VexloReverse::Detail
