// Rules of C# files: the access of a type, types of other namespaces that the file does
// not open or that another namespace hides, and members named like their class.
#include "LintModel.h"

#include <map>
#include <set>

namespace VexloLint {

using namespace RoseHost;

namespace {

const Class* ClassOf(const Element* element)
{
    return element && element->kind == ElementKind::Class ? static_cast<const Class*>(element) : nullptr;
}

void TopLevelAccess(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes) {
        std::wstring access = Lower(Property(*unit.model, *text.cls, unit.tool, L"Accessibility"));
        if (access == L"private" || access == L"protected" || access == L"protected internal")
            report.Add(*text.cls, L"csharp-top-level-access",
                       L"the type is written at the top of its file or namespace as \"" + access + L" " +
                           (text.isEnum ? L"enum" : text.kind.empty() ? L"class" : text.kind) + L" " + text.cls->name +
                           L"\", and C# allows only public or internal there",
                       L"set the class's \"Accessibility\" to public or internal");
    }
}

bool Encloses(const std::wstring& outer, const std::wstring& inner)
{
    return outer.empty() || inner == outer || inner.compare(0, outer.size() + 1, outer + L".") == 0;
}

void TypesOfOtherNamespaces(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    const Model& model = *unit.model;
    // Model classes by name: a type text that is one such name refers to it.
    std::map<std::wstring, std::vector<const Class*>> byName;
    for (const Class* cls : model.allClasses)
        byName[cls->name].push_back(cls);
    std::set<std::wstring> open = OpenNamespaces(unit, report);
    for (const ClassText& text : unit.classes) {
        const std::wstring here = NamespaceOf(model, text.cls->parentCategory);
        for (const Member& member : text.members) {
            if (member.kind == Member::Value)
                continue;
            const Class* target = nullptr;
            if (member.element->kind == ElementKind::Role) {
                const auto& role = static_cast<const Role&>(*member.element);
                if (RoleTarget(role) && member.type == RoleTarget(role)->name.str())
                    target = RoleTarget(role);
            } else if (auto found = byName.find(member.type); found != byName.end() && found->second.size() == 1) {
                target = found->second.front();
            }
            if (!target)
                continue;
            const std::wstring there = NamespaceOf(model, target->parentCategory);
            if (Encloses(there, here) || open.count(there))
                continue;
            report.Add(*member.element, L"csharp-missing-using",
                       L"the " + member.what + L" " + member.name + L" is of type " + target->name +
                           L" of the namespace " + there + L", which the file " + unit.module->name +
                           L".cs does not open (no \"using " + there + L";\")",
                       L"add a class dependency from " + text.cls->name + L" to " + target->name +
                           L" in the model (it writes the using line), or put \"using " + there +
                           L";\" into the \"suses\" zone of " + unit.module->name);
        }
    }
}

// Every namespace that holds a class of the model, with the namespaces around it (a
// namespace package without classes declares nothing).
std::set<std::wstring> KnownNamespaces(const Model& model)
{
    std::set<std::wstring> known;
    for (const Class* cls : model.allClasses) {
        std::wstring path = NamespaceOf(model, cls->parentCategory);
        for (size_t dot = 0; (dot = path.find(L'.', dot + 1)) != std::wstring::npos;)
            known.insert(path.substr(0, dot));
        if (!path.empty())
            known.insert(path);
    }
    return known;
}

// A superclass is written with its full namespace path; C# looks the first part of it up
// from the inside out, so a namespace of that name inside the class's own hides it.
void HiddenSuperclasses(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    const Model& model = *unit.model;
    std::set<std::wstring> known = KnownNamespaces(model);
    for (const ClassText& text : unit.classes) {
        if (text.isEnum)
            continue;
        std::wstring here = NamespaceOf(model, text.cls->parentCategory);
        for (const Relation* relation : text.cls->superclasses) {
            const Class* super = ClassOf(relation->supplier);
            std::wstring there = super ? NamespaceOf(model, super->parentCategory) : std::wstring();
            if (there.empty())
                continue;
            std::wstring first = there.substr(0, there.find(L'.'));
            for (std::wstring scope = here; !scope.empty();) {
                if (known.count(scope + L"." + first)) {
                    report.Add(*relation, L"csharp-missing-using",
                               L"the superclass is written " + there + L"." + super->name + L", but inside " + here +
                                   L" the name " + first + L" is the namespace " + scope + L"." + first,
                               L"rename the namespace package " + scope + L"." + first + L" or " + first +
                                   L", so that the one does not hide the other");
                    break;
                }
                size_t dot = scope.rfind(L'.');
                scope = dot == std::wstring::npos ? std::wstring() : scope.substr(0, dot);
            }
        }
    }
}

void NamedLikeClass(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes) {
        if (text.isInterface || text.isEnum)
            continue;
        for (const Member& member : text.members) {
            // "Name()" without a return type is constructor syntax.
            bool constructorLike = member.kind == Member::Method && (member.constructor || member.type.empty());
            if (member.name != text.cls->name || constructorLike)
                continue;
            std::wstring fix = member.kind == Member::Method
                                   ? L"rename the operation, or make it a constructor: give it the return type " +
                                         text.cls->name
                                   : L"rename it in the model" + (member.nameProperty.empty()
                                                                      ? std::wstring()
                                                                      : L" (or change its \"" + member.nameProperty + L"\")");
            report.Add(*member.element, L"csharp-member-named-like-class",
                       L"the " + member.what + L" " + member.name + L" is named like its class; C# allows that only "
                       L"for a constructor (an operation that returns its class)",
                       fix);
        }
    }
}

} // namespace

// The namespaces a file opens: its using lines (superclasses and dependencies of its
// classes) and those written in its "suses" zone.
std::set<std::wstring> OpenNamespaces(const UnitText& unit, const Report& report)
{
    std::set<std::wstring> open;
    for (const Class* cls : unit.module->assignedClasses)
        for (const auto* relations : {&cls->superclasses, &cls->dependencies})
            for (const Relation* relation : *relations)
                if (const Class* supplier = ClassOf(relation->supplier))
                    open.insert(NamespaceOf(*unit.model, supplier->parentCategory));
    if (std::optional<std::string> zone = report.Zone(*unit.module, unit.module->name, L"suses")) {
        std::wstring text(zone->begin(), zone->end());
        for (size_t at = text.find(L"using "); at != std::wstring::npos; at = text.find(L"using ", at + 6)) {
            size_t end = text.find(L';', at);
            std::vector<std::wstring> parts = IdentifiersOf(text.substr(at + 6, end - at - 6));
            std::wstring name;
            for (const std::wstring& part : parts)
                name += (name.empty() ? L"" : L".") + part;
            open.insert(name);
        }
    }
    return open;
}

const std::vector<Rule>& CSharpRules()
{
    static const std::vector<Rule> rules = {
        {{L"csharp-top-level-access", L"C#", L"a type with the \"Accessibility\" private, protected or protected internal"},
         TopLevelAccess},
        {{L"csharp-missing-using", L"C#",
          L"a member typed with a class of another namespace that the file does not open, or a superclass whose "
          L"namespace another one hides"},
         TypesOfOtherNamespaces},
        {{L"csharp-missing-using", L"C#", nullptr}, HiddenSuperclasses},
        {{L"csharp-member-named-like-class", L"C#", L"a method (not a constructor), field or property named like its class"},
         NamedLikeClass},
    };
    return rules;
}

} // namespace VexloLint
