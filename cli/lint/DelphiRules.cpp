// Rules of Delphi units: published members of a class without RTTI, and classes used in
// a declaration before the unit declares them.
#include "LintModel.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

namespace VexloLint {

using namespace RoseHost;

namespace {

// Library classes compiled with RTTI ({$M+}): a class derived from one may publish.
const wchar_t* const kRttiBases[] = {
    L"tpersistent", L"tinterfacedpersistent", L"tcomponent", L"tcollection", L"tcollectionitem",
    L"townedcollection", L"tstrings", L"tstringlist", L"tcontrol", L"twincontrol", L"tcustomcontrol",
    L"tgraphiccontrol", L"tcustomform", L"tform", L"tframe", L"tdatamodule", L"tdataset", L"tfield",
    L"tbasicaction", L"taction",
};

bool IsClassKind(const ClassText& text) { return !text.isInterface && !text.isEnum && text.kind != L"object"; }

// A zone's text in lower case without blanks, or "" when there is none.
std::wstring Squeezed(const std::optional<std::string>& zone)
{
    std::wstring text;
    if (zone)
        for (char c : *zone)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
                text += static_cast<wchar_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c));
    return text;
}

bool HasRtti(const UnitText& unit, const Class& cls, std::set<const Class*>& seen, Report& report)
{
    if (!seen.insert(&cls).second)
        return false;
    if (std::find(std::begin(kRttiBases), std::end(kRttiBases), Lower(cls.name)) != std::end(kRttiBases))
        return true;
    // {$M+} in front of the class (or an ancestor) in its file turns RTTI on.
    for (const Module* module : cls.assignedModules)
        if (module->language == unit.tool) {
            std::wstring preface = Squeezed(report.Zone(*module, cls.name, L"preface"));
            if (preface.find(L"{$m+}") != std::wstring::npos || preface.find(L"{$typeinfoon}") != std::wstring::npos)
                return true;
        }
    for (const Relation* relation : cls.superclasses)
        if (relation->supplier && relation->supplier->kind == ElementKind::Class &&
            HasRtti(unit, static_cast<const Class&>(*relation->supplier), seen, report))
            return true;
    return false;
}

void PublishedWithoutRtti(const UnitText& unit, Report& report)
{
    if (unit.language != Language::Delphi)
        return;
    for (const ClassText& text : unit.classes) {
        if (!IsClassKind(text))
            continue;
        auto published = std::find_if(text.members.begin(), text.members.end(),
                                      [](const Member& m) { return m.visibility == ImplementationAccess; });
        std::set<const Class*> seen;
        if (published == text.members.end() || HasRtti(unit, *text.cls, seen, report))
            continue;
        // RTTI is inherited: the fix belongs to the topmost class of the model above it.
        const Class* root = text.cls;
        std::set<const Class*> climbed = {root};
        for (bool up = true; up;) {
            up = false;
            for (const Relation* relation : root->superclasses)
                if (const Class* super = relation->supplier && relation->supplier->kind == ElementKind::Class
                                             ? static_cast<const Class*>(relation->supplier)
                                             : nullptr;
                    super && !super->assignedModules.empty() && climbed.insert(super).second &&
                    Lower(Property(*unit.model, *super, unit.tool, L"Kind")).find(L"interface") == std::wstring::npos) {
                    root = super;
                    up = true;
                    break;
                }
        }
        const std::wstring& name = root->name;
        report.Add(*text.cls, L"delphi-published-rtti",
                   L"the " + published->what + L" " + published->name +
                       L" is published (export control Implementation), but " + text.cls->name +
                       L" has no RTTI: Free Pascal rejects published members of such a class",
                   L"derive " + name + L" from TPersistent (with Classes in the component's \"AdditionalIncludes\"), or put {$M+} into the "
                   L"\"preface\" zone of " + name + (root == text.cls ? L"" : L" (its subclasses inherit the RTTI)") +
                       L", or give the member another export control");
    }
}

// The names a class's declaration uses: superclasses, member types, parameter types.
std::vector<std::pair<std::wstring, std::wstring>> UsedNames(const ClassText& text)
{
    std::vector<std::pair<std::wstring, std::wstring>> used; // (name, where)
    for (const Relation* relation : text.cls->superclasses)
        if (relation->supplier)
            used.push_back({relation->supplier->name, L"superclass"});
    for (const Member& member : text.members) {
        // An unnamed role gives the field "F": name the role by its association instead.
        std::wstring what = L"type of the " + member.what + L" " + member.name;
        if (member.element->kind == ElementKind::Role && member.element->name.empty()) {
            const auto& role = static_cast<const Role&>(*member.element);
            what = L"type of the unnamed role" +
                   (role.association && !role.association->name.empty()
                        ? L" of the association " + role.association->name.str()
                        : std::wstring()) +
                   (role.line ? L", line " + std::to_wstring(role.line) : std::wstring());
        }
        for (const std::wstring& word : IdentifiersOf(member.type))
            used.push_back({word, what});
        for (const Parameter* parameter : member.parameters)
            for (const std::wstring& word : IdentifiersOf(parameter->type))
                used.push_back({word, L"type of the parameter " + parameter->name + L" of " + member.name});
    }
    return used;
}

void UsedBeforeDeclared(const UnitText& unit, Report& report)
{
    if (unit.language != Language::Delphi || !unit.writesClasses)
        return;
    std::map<std::wstring, size_t> position;
    for (size_t i = 0; i < unit.classes.size(); ++i)
        position.emplace(Lower(unit.classes[i].cls->name), i);
    auto refersTo = [&](size_t from, size_t to) {
        for (const auto& [name, where] : UsedNames(unit.classes[from])) {
            auto it = position.find(Lower(name));
            if (it != position.end() && it->second == to)
                return true;
        }
        return false;
    };
    for (size_t i = 0; i < unit.classes.size(); ++i) {
        const ClassText& text = unit.classes[i];
        std::set<size_t> reported;
        for (const auto& [name, where] : UsedNames(text)) {
            auto it = position.find(Lower(name));
            if (it == position.end() || it->second <= i || !reported.insert(it->second).second)
                continue;
            const ClassText& later = unit.classes[it->second];
            const std::wstring keyword = later.isInterface ? later.kind : L"class";
            const std::wstring forward = later.cls->name + L" = " + keyword + L";";
            // A forward declaration in a zone in front of this class settles it.
            std::wstring declared;
            for (size_t k = 0; k <= i; ++k) {
                declared += Squeezed(report.Zone(*unit.module, unit.classes[k].cls->name, L"preface"));
                if (k < i)
                    declared += Squeezed(report.Zone(*unit.module, unit.classes[k].cls->name, L"postscript"));
            }
            if (!later.isEnum && declared.find(Lower(later.cls->name) + L"=" + keyword + L";") != std::wstring::npos)
                continue;
            const std::wstring& self = text.cls->name;
            std::wstring fix;
            if (later.isEnum)
                fix = L"add a class dependency from " + self + L" to " + later.cls->name +
                      L" in the model, so that the enum is declared first";
            else if (refersTo(it->second, i))
                fix = L"the two classes refer to each other: put \"" + forward + L"\" into the \"preface\" zone of " + self;
            else
                fix = L"add a class dependency from " + self + L" to " + later.cls->name +
                      L" in the model (it is then declared first), or put \"" + forward +
                      L"\" into the \"preface\" zone of " + self;
            report.Add(*text.cls, L"delphi-forward-declaration",
                       self + L" uses " + later.cls->name + L" (" + where + L"), which the unit " + unit.module->name +
                           L" declares after it",
                       fix);
        }
    }
}

} // namespace

const std::vector<Rule>& DelphiRules()
{
    static const std::vector<Rule> rules = {
        {{L"delphi-published-rtti", L"Delphi",
          L"a class with published members (export control Implementation) and no RTTI ({$M+}, TPersistent)"},
         PublishedWithoutRtti},
        {{L"delphi-forward-declaration", L"Delphi",
          L"a class whose declaration uses a class of the same unit declared after it (two classes that refer to "
          L"each other need a forward declaration)"},
         UsedBeforeDeclared},
    };
    return rules;
}

} // namespace VexloLint
