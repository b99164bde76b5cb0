// Rules for the type texts of attributes, results and parameters, which the generators
// write as the model holds them: text that is no type of the language at all (C++, Java
// or SQL type syntax), and names the compiler does not know in the file. Models drawn
// for another language fail mostly here; the fix names the type map entry that helps.
#include "LintModel.h"

#include <algorithm>
#include <map>

namespace VexloLint {

using namespace RoseHost;

namespace {

const wchar_t* LanguageName(Language language) { return language == Language::Delphi ? L"Delphi" : L"C#"; }
std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

// The fix through a type map: the built-in entry for the text, or the line to write.
std::wstring MapFix(const UnitText& unit, const std::wstring& text)
{
    const std::wstring language = LanguageName(unit.language);
    std::wstring to;
    if (const VexloTypes::MapEntry* entry = VexloTypes::SuggestEntry(language, text, &to))
        return L"map it: --type-map " + entry->source + L" writes it as " +
               (to.empty() ? std::wstring(L"nothing (a procedure)") : to) + L" (its entry \"" + entry->from +
               L" = " + entry->to + L"\")";
    return L"give it a " + language + L" type in the model, or map it in a --type-map file: \"" +
           VexloTypes::NormalizeType(text) + L" = <" + language + L" type>\" under [" + language + L"]";
}

struct TypeUse {
    const Element* element;
    std::wstring text, what; // "the field FCount", "the result of Open", "the parameter x of Open"
    bool result = false;
};

std::vector<TypeUse> TypeUses(const UnitText& unit)
{
    std::vector<TypeUse> uses;
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members) {
            if (member.kind == Member::Value || member.element->kind == ElementKind::Role)
                continue; // a role is typed with its class
            bool result = member.element->kind == ElementKind::Operation;
            if (!member.type.empty() &&
                std::none_of(uses.begin(), uses.end(), [&](const TypeUse& u) { return u.element == member.element; }))
                uses.push_back({member.element, member.type,
                                result ? L"the result of " + member.name : L"the " + member.what + L" " + member.name, result});
            for (const Parameter* parameter : member.parameters)
                if (!parameter->type.empty())
                    uses.push_back({parameter, parameter->type,
                                    L"the parameter " + parameter->name + L" of " + member.name, false});
        }
    return uses;
}

void NotTypes(const UnitText& unit, Report& report)
{
    for (const TypeUse& use : TypeUses(unit)) {
        std::vector<std::wstring> names;
        std::wstring bad, why;
        if (!ParseType(unit.language, use.text, names, bad))
            why = WhyNoType(unit.language, use.text, bad);
        else if (unit.language == Language::CSharp && !use.result &&
                 std::find(names.begin(), names.end(), L"void") != names.end())
            why = L"void is only a method's result";
        if (!why.empty())
            report.Add(*use.element, L"not-a-type",
                       L"the type " + Quoted(use.text) + L" of " + use.what + L" is no " + LanguageName(unit.language) +
                           L" type: " + why,
                       MapFix(unit, use.text));
    }
}

// What a file can name: its units (Delphi) or namespaces (C#) and the model's classes.
struct Scope {
    std::set<std::wstring> units;     // Delphi: lower case
    bool unknownUnit = false;         // a unit or namespace whose types lint does not know
    std::map<std::wstring, std::vector<const Class*>> classes; // generated classes of the language by name
    std::set<const Module*> reachable; // Delphi: this unit and the units it uses
};

std::wstring Key(Language language, const std::wstring& name) { return language == Language::Delphi ? Lower(name) : name; }

Scope ScopeOf(const UnitText& unit, const Report& report)
{
    const Model& model = *unit.model;
    Scope scope;
    std::set<std::wstring> moduleNames;
    for (const Class* cls : model.allClasses) {
        // A nested class is written inside its outer class, in that class's file.
        const Class* outer = cls;
        while (outer->parentClass)
            outer = outer->parentClass;
        for (const Module* module : outer->assignedModules)
            if (module->language == unit.tool) {
                scope.classes[Key(unit.language, cls->name)].push_back(cls);
                moduleNames.insert(Key(unit.language, module->name));
                break;
            }
    }
    std::vector<std::wstring> units;
    if (unit.language == Language::Delphi) {
        scope.reachable.insert(unit.module);
        for (const Class* cls : unit.module->assignedClasses)
            for (const auto* relations : {&cls->superclasses, &cls->dependencies})
                for (const Relation* relation : *relations)
                    if (relation->supplier && relation->supplier->kind == ElementKind::Class)
                        for (const Module* module : static_cast<const Class*>(relation->supplier)->assignedModules)
                            scope.reachable.insert(module);
        std::wstring includes = Property(model, *unit.module, unit.tool, L"AdditionalIncludes");
        if (std::optional<std::string> zone = report.Zone(*unit.module, unit.module->name, L"suses"))
            includes += L"," + std::wstring(zone->begin(), zone->end());
        for (const std::wstring& word : IdentifiersOf(includes))
            if (Lower(word) != L"uses")
                units.push_back(Lower(word));
    } else {
        for (const std::wstring& name : OpenNamespaces(unit, report))
            units.push_back(name);
    }
    std::set<std::wstring> namespaces;
    for (const Class* cls : model.allClasses)
        namespaces.insert(NamespaceOf(model, cls->parentCategory));
    for (const std::wstring& name : units) {
        scope.units.insert(name);
        bool model = unit.language == Language::Delphi ? moduleNames.count(name) > 0 : namespaces.count(name) > 0;
        if (!name.empty() && !model && !IsStandardUnit(unit.language, name))
            scope.unknownUnit = true;
    }
    return scope;
}

// Why the name is unknown in the file, and the fix; both "" when it is known.
std::pair<std::wstring, std::wstring> Unknown(const UnitText& unit, const Scope& scope, const ClassText* owner,
                                              const std::wstring& name, const std::wstring& text)
{
    const Language language = unit.language;
    const std::wstring lang = LanguageName(language);
    std::wstring last = name.substr(name.rfind(L'.') == std::wstring::npos ? 0 : name.rfind(L'.') + 1);
    // A known type may be listed with its namespace or unit, or without.
    for (const std::wstring& known : unit.settings->knownTypes)
        if (Key(language, known) == Key(language, name) || Key(language, known) == Key(language, last))
            return {};
    std::wstring qualifier = last.size() < name.size() ? name.substr(0, name.size() - last.size() - 1) : std::wstring();
    if (auto it = scope.classes.find(Key(language, last)); it != scope.classes.end()) {
        if (language == Language::CSharp || !qualifier.empty())
            return {};
        auto outer = [](const Class* cls) {
            while (cls->parentClass)
                cls = cls->parentClass;
            return cls;
        };
        for (const Class* cls : it->second)
            for (const Module* module : outer(cls)->assignedModules)
                if (scope.reachable.count(module))
                    return {};
        const Class* cls = it->second.front();
        const Module* module = nullptr;
        for (const Module* m : outer(cls)->assignedModules)
            if (m->language == unit.tool && !module)
                module = m;
        if (!module)
            return {};
        return {L"the class " + cls->name + L" is declared in the unit " + module->name + L", which " +
                    unit.module->name + L" does not use",
                L"add a class dependency from " + (owner ? owner->cls->name.str() : std::wstring(L"the class")) +
                    L" to " + cls->name + L" in the model (the unit then uses " + module->name + L")"};
    }
    std::vector<std::wstring> homes = StandardHomes(language, last);
    if (!qualifier.empty()) {
        bool standard = std::find(homes.begin(), homes.end(), qualifier) != homes.end();
        if (standard || IsStandardUnit(language, qualifier) || scope.unknownUnit)
            return {};
        if (language == Language::Delphi && qualifier.find(L'.') == std::wstring::npos)
            return {}; // Unit.TypeName of a unit of the team's
        return {L"no unit or namespace of " + lang + L" or of the model is named " + qualifier, MapFix(unit, text)};
    }
    for (const std::wstring& home : homes)
        if (home.empty() || scope.units.count(Key(language, home)))
            return {};
    if (!homes.empty()) {
        const std::wstring& home = homes.front();
        return {L"it is declared in the " + std::wstring(language == Language::Delphi ? L"unit " : L"namespace ") + home +
                    L", which the file does not " + (language == Language::Delphi ? L"use" : L"open"),
                language == Language::Delphi
                    ? L"add " + home + L" to the \"AdditionalIncludes\" of the component " + unit.module->name
                    : L"put \"using " + home + L";\" into the \"suses\" zone of " + unit.module->name + L", or write " +
                          home + L"." + last};
    }
    if (scope.unknownUnit)
        return {}; // a unit of the team's may declare it
    std::wstring fix = MapFix(unit, text);
    if (!VexloTypes::SuggestEntry(lang, text))
        fix += L"; a type of your own libraries: list it in a --known-types file";
    return {L"neither " + lang + L", its standard " + (language == Language::Delphi ? L"units" : L"namespaces") +
                L" nor the model declare " + Quoted(last),
            fix};
}

void UnknownTypes(const UnitText& unit, Report& report)
{
    Scope scope = ScopeOf(unit, report);
    for (const TypeUse& use : TypeUses(unit)) {
        std::vector<std::wstring> names;
        std::wstring bad;
        if (!ParseType(unit.language, use.text, names, bad))
            continue; // not-a-type
        const ClassText* owner = nullptr;
        for (const ClassText& text : unit.classes)
            for (const Member& member : text.members)
                if (member.element == use.element ||
                    std::find(member.parameters.begin(), member.parameters.end(), use.element) != member.parameters.end())
                    owner = &text;
        for (const std::wstring& name : names) {
            if (unit.language == Language::CSharp && IsCSharpTypeKeyword(name))
                continue;
            auto [why, fix] = Unknown(unit, scope, owner, name, use.text);
            if (why.empty())
                continue;
            report.Add(*use.element, L"unknown-type",
                       L"the type " + Quoted(use.text) + L" of " + use.what + L" names " + Quoted(name) +
                           L", which the compiler does not know there: " + why,
                       fix);
            break;
        }
    }
}

// "uses A,B,A;" is a duplicate identifier to the compiler.
void DuplicateUses(const UnitText& unit, Report& report)
{
    if (unit.language != Language::Delphi || (unit.componentKind != L"unit" && unit.componentKind != L"program"))
        return;
    struct Entry {
        std::wstring name, from;
    };
    std::vector<Entry> uses;
    std::wstring includes = Property(*unit.model, *unit.module, unit.tool, L"AdditionalIncludes");
    for (size_t start = 0; start <= includes.size() && !includes.empty();) {
        size_t comma = includes.find(L',', start);
        std::wstring name = includes.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        name.erase(0, name.find_first_not_of(L" \t"));
        name.erase(name.find_last_not_of(L" \t") + 1);
        if (!name.empty())
            uses.push_back({name, L"\"AdditionalIncludes\""});
        start = comma == std::wstring::npos ? includes.size() + 1 : comma + 1;
    }
    std::vector<const Module*> used;
    for (const Class* cls : unit.module->assignedClasses)
        for (const auto* relations : {&cls->superclasses, &cls->dependencies})
            for (const Relation* relation : *relations)
                if (relation->supplier && relation->supplier->kind == ElementKind::Class)
                    for (const Module* module : static_cast<const Class*>(relation->supplier)->assignedModules)
                        if (module != unit.module && std::find(used.begin(), used.end(), module) == used.end()) {
                            used.push_back(module);
                            uses.push_back({module->name, L"the class relations (component " + ElementPath(*module) +
                                                              (module->part.empty() ? L"" : L", " + module->part) + L")"});
                        }
    std::set<std::wstring> reported;
    for (size_t i = 0; i < uses.size(); ++i) {
        std::wstring key = Lower(uses[i].name);
        const Entry* first = nullptr;
        for (size_t k = 0; k < i && !first; ++k)
            if (Lower(uses[k].name) == key)
                first = &uses[k];
        bool self = key == Lower(unit.module->name);
        if ((!first && !self) || !reported.insert(key).second)
            continue;
        std::wstring why = self ? L"the unit " + unit.module->name + L" names itself in its uses list (from " +
                                      uses[i].from + L")"
                                : L"the uses list names " + uses[i].name + L" twice: from " + first->from + L" and from " +
                                      uses[i].from;
        const Entry& culprit = first && uses[i].from[0] != L'"' ? *first : uses[i];
        std::wstring fix = culprit.from[0] == L'"' ? L"take " + culprit.name + L" out of \"AdditionalIncludes\""
                                                   : L"rename one of the components named " + uses[i].name;
        report.Add(*unit.module, L"delphi-duplicate-uses", why, fix);
    }
}

} // namespace

const std::vector<Rule>& TypeRules()
{
    static const std::vector<Rule> rules = {
        {{L"not-a-type", L"Delphi, C#",
          L"a type text that is no type of the language: C++ (const T&, char*, unsigned long, A::B), Java "
          L"(List<?>), SQL (char(12), double precision), x[*]"},
         NotTypes},
        {{L"unknown-type", L"Delphi, C#",
          L"a type name that neither the language, the standard units or namespaces the file uses, the model nor "
          L"--known-types declare"},
         UnknownTypes},
        {{L"delphi-duplicate-uses", L"Delphi", L"a unit named twice in a uses list, or a unit that uses itself"},
         DuplicateUses},
    };
    return rules;
}

} // namespace VexloLint
