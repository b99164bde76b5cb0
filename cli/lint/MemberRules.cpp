// Rules of both languages: members and parameters without a type, names that are no
// identifiers, and two members of a class under one name.
#include "LintModel.h"

#include <map>
#include <set>

namespace VexloLint {

using namespace RoseHost;

namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

const wchar_t* LanguageName(const UnitText& unit) { return unit.language == Language::Delphi ? L"Delphi" : L"C#"; }

bool IsIndexer(const UnitText& unit, const Member& member)
{
    return unit.language == Language::CSharp && member.kind == Member::Property && member.name == L"this" &&
           !member.indexParameters.empty();
}

void UntypedAttributes(const UnitText& unit, Report& report)
{
    for (const ClassText& text : unit.classes) {
        std::set<const Element*> reported;
        for (const Member& member : text.members) {
            if (member.kind == Member::Value || member.element->kind != ElementKind::Attribute || !member.type.empty() ||
                !reported.insert(member.element).second)
                continue;
            const std::wstring example = unit.language == Language::Delphi ? member.name + L": ;"
                                                                           : L"private  " + member.name + L";";
            report.Add(*member.element, L"untyped-attribute",
                       L"the attribute has no type, so its " + member.what + L" " + Quoted(member.name) +
                           L" is written without one (" + example + L")",
                       L"give " + member.element->name + L" a type in the model, or set its \"GenerateCode\" to FALSE");
        }
    }
}

void UntypedParameters(const UnitText& unit, Report& report)
{
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members)
            for (const Parameter* parameter : member.parameters)
                if (parameter->type.empty())
                    report.Add(*parameter, L"untyped-parameter",
                               L"the parameter " + Quoted(parameter->name) + L" of " + member.name +
                                   L" has no type; " + LanguageName(unit) +
                                   L" takes no parameter without one in a method's list",
                               L"give the parameter a type in the operation's parameter list");
}

void UntypedOperations(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members)
            // A name that is no identifier (a C++ destructor "~T") is not-an-identifier's finding.
            if (member.kind == Member::Method && member.type.empty() && !member.constructor &&
                member.name != text.cls->name && IdentifierProblem(unit.language, member.name).empty())
                report.Add(*member.element, L"untyped-operation",
                           L"the operation has no return type, so the method " + Quoted(member.name) +
                               L" is written without one (only a constructor may be)",
                           L"give " + member.name + L" a return type in the model (void when it returns nothing)");
}

void PropertiesWithoutAccessor(const UnitText& unit, Report& report)
{
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members)
            if (member.kind == Member::Property && !member.accessors)
                report.Add(*member.element, L"property-without-accessor",
                           L"the property " + Quoted(member.name) + L" is written without " +
                               (unit.language == Language::Delphi ? L"a read or write clause" : L"a get or set accessor") +
                               L", which " + LanguageName(unit) + L" requires",
                           L"set its \"GenerateGetOperation\" (or \"GenerateSetOperation\") to TRUE, or \"IsProperty\" to FALSE");
}

void CheckName(const UnitText& unit, const Element& element, const std::wstring& name, const std::wstring& what,
               const std::wstring& property, Report& report)
{
    std::wstring problem = IdentifierProblem(unit.language, name);
    if (problem.empty())
        return;
    if (name[0] == L'~')
        problem += L" (a C++ destructor, which " + std::wstring(LanguageName(unit)) + L" declares otherwise)";
    std::wstring fix = property.empty() ? L"rename it in the model to a " + std::wstring(LanguageName(unit)) + L" identifier"
                                        : L"set its \"" + property + L"\" to a " + LanguageName(unit) + L" identifier";
    report.Add(element, L"not-an-identifier",
               L"the " + what + L" " + Quoted(name) + L" is no " + LanguageName(unit) + L" identifier: " + problem, fix);
}

void Names(const UnitText& unit, Report& report)
{
    // A Delphi file starts with "unit Name;" (or program, library, package).
    if (unit.language == Language::Delphi)
        CheckName(unit, *unit.module, unit.module->name, unit.componentKind + L" name", L"", report);
    std::set<const Category*> namespaces;
    for (const ClassText& text : unit.classes) {
        CheckName(unit, *text.cls, text.cls->name, L"class name", L"", report);
        if (unit.language == Language::CSharp)
            for (const Category* category = text.cls->parentCategory; category; category = category->parent)
                if (IsTrue(Property(*unit.model, *category, L"C#", L"IsNamespace")) && namespaces.insert(category).second) {
                    // "namespace A.B" is a valid name of two parts.
                    std::wstring name = category->name;
                    size_t start = 0, dot;
                    do {
                        dot = name.find(L'.', start);
                        CheckName(unit, *category, name.substr(start, dot - start), L"namespace name", L"", report);
                        start = dot + 1;
                    } while (dot != std::wstring::npos);
                }
        std::set<const Element*> reported;
        for (const Member& member : text.members) {
            // One finding per element: its field, accessors and property share the name.
            if (!IsIndexer(unit, member) && !IdentifierProblem(unit.language, member.name).empty() &&
                reported.insert(member.element).second)
                CheckName(unit, *member.element, member.name, member.what + L" name", member.nameProperty, report);
            for (const Parameter* parameter : member.parameters)
                CheckName(unit, *parameter, parameter->name, L"parameter name", L"", report);
        }
    }
}

std::wstring Key(const UnitText& unit, const std::wstring& name)
{
    return unit.language == Language::Delphi ? Lower(name) : name;
}

std::vector<std::wstring> Signature(const UnitText& unit, const Member& member)
{
    std::vector<std::wstring> types;
    for (const Parameter* parameter : member.parameters)
        types.push_back(Key(unit, parameter->type));
    if (!member.indexParameters.empty())
        types.push_back(Key(unit, member.indexParameters));
    return types;
}

// Two methods of one name are overloads when the language lets them be: C# by their
// parameter types; Delphi only when both are marked "IsOverload" too.
bool Overloads(const UnitText& unit, const Member& a, const Member& b)
{
    if (a.kind != Member::Method || b.kind != Member::Method || Signature(unit, a) == Signature(unit, b))
        return false;
    return unit.language == Language::CSharp || (a.overload && b.overload);
}

void DuplicateMembers(const UnitText& unit, Report& report)
{
    for (const ClassText& text : unit.classes) {
        std::map<std::wstring, std::vector<const Member*>> seen;
        for (const Member& member : text.members) {
            if (member.name.empty() || IsIndexer(unit, member))
                continue;
            std::vector<const Member*>& same = seen[Key(unit, member.name)];
            for (const Member* earlier : same) {
                if (Overloads(unit, *earlier, member))
                    continue;
                bool methods = earlier->kind == Member::Method && member.kind == Member::Method &&
                               earlier->element->kind == ElementKind::Operation &&
                               member.element->kind == ElementKind::Operation;
                std::wstring fix = methods && unit.language == Language::Delphi
                                       ? L"rename one of them, or set \"IsOverload\" to TRUE on both and give them "
                                         L"different parameter types"
                                       : L"rename one of them in the model" +
                                             (member.nameProperty.empty() ? std::wstring()
                                                                          : L" (or change its \"" + member.nameProperty + L"\")");
                report.Add(*member.element, L"duplicate-member",
                           L"the " + member.what + L" " + Quoted(member.name) + L" has the name of the " + earlier->what +
                               L" " + Quoted(earlier->name) + L" of " + ElementPath(*earlier->element) + L" (line " +
                               std::to_wstring(earlier->element->line) + L") in the same " +
                               (text.isEnum ? L"enum" : L"class") + L" " + text.cls->name,
                           fix);
                break;
            }
            same.push_back(&member);
        }
    }
}

} // namespace

const std::vector<Rule>& MemberRules()
{
    static const std::vector<Rule> rules = {
        {{L"untyped-attribute", L"Delphi, C#", L"an attribute without a type that gives a field, an accessor or a property"},
         UntypedAttributes},
        {{L"untyped-parameter", L"Delphi, C#", L"a parameter without a type"}, UntypedParameters},
        {{L"untyped-operation", L"C#", L"a method without a return type that is no constructor"}, UntypedOperations},
        {{L"property-without-accessor", L"Delphi, C#",
          L"a property (\"IsProperty\") with neither \"GenerateGetOperation\" nor \"GenerateSetOperation\""},
         PropertiesWithoutAccessor},
        {{L"not-an-identifier", L"Delphi, C#",
          L"a written name (unit, namespace, class, member, parameter) with blanks or other characters, or a reserved word"},
         Names},
        {{L"duplicate-member", L"Delphi, C#",
          L"two members of a class (fields, accessors, methods, properties, enum values) under one name"},
         DuplicateMembers},
    };
    return rules;
}

} // namespace VexloLint
