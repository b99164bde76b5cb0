// Rules for single settings whose text no compiler takes: documentation that leaves
// its comment, and the C# settings docs/CSHARP.md warns about (a Delphi-style GUID line,
// a const without a value, an event with a body, an indexer not named "this", an
// abstract member of a class that is not abstract).
#include "LintModel.h"

#include <set>

namespace VexloLint {

using namespace RoseHost;

namespace {

const wchar_t* const Csharp = L"C#";

void Documentation(const UnitText& unit, Report& report)
{
    const bool delphi = unit.language == Language::Delphi;
    auto breaks = [&](const ModelText& text) {
        std::wstring doc = text;
        return delphi ? doc.find(L'}') != std::wstring::npos : doc.find_first_of(L"\r\n") != std::wstring::npos;
    };
    const std::wstring why = delphi ? L"holds a \"}\", which ends the { } comment it is written in"
                                    : L"has several lines, and only the first one is written behind ///";
    const std::wstring fix = delphi ? L"take the \"}\" out of the documentation" : L"keep the documentation to one line";
    for (const ClassText& text : unit.classes) {
        // Enum values carry no documentation; the class does.
        if (breaks(text.cls->documentation))
            report.Add(*text.cls, L"documentation-breaks-comment", L"the class's documentation " + why, fix);
        std::set<const Element*> reported;
        for (const Member& member : text.members)
            if (member.kind != Member::Value && breaks(member.element->documentation) &&
                reported.insert(member.element).second)
                report.Add(*member.element, L"documentation-breaks-comment", L"the documentation " + why, fix);
    }
}

void InterfaceGuid(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes)
        if (text.isInterface && !Property(*unit.model, *text.cls, Csharp, L"GUID").empty())
            report.Add(*text.cls, L"csharp-interface-guid",
                       L"the interface's \"GUID\" is written as ['{...}'], a Delphi line that is no C#",
                       L"clear the \"GUID\" and put [Guid(\"...\")] into the \"preface\" zone of " + text.cls->name);
}

void ConstWithoutValue(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members) {
            if (member.kind != Member::Field || !IsTrue(Property(*unit.model, *member.element, Csharp, L"Const")))
                continue;
            const bool role = member.element->kind == ElementKind::Role;
            std::wstring value = role ? Property(*unit.model, *member.element, Csharp, L"InitValue")
                                      : static_cast<const Attribute&>(*member.element).initValue.str();
            if (value.empty())
                report.Add(*member.element, L"csharp-const-without-value",
                           L"the field " + member.name + L" is written const without a value",
                           role ? L"give the role an \"InitValue\", or set \"Const\" to FALSE"
                                : L"give the attribute an initial value, or set \"Const\" to FALSE");
        }
}

void EventWithBody(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members)
            if (!text.isInterface && member.element->kind == ElementKind::Operation &&
                Lower(Property(*unit.model, *member.element, Csharp, L"Type")) == L"event")
                report.Add(*member.element, L"csharp-event-operation",
                           L"the operation's \"Type\" event writes a method with \"event\" in front and a body, which "
                           L"is no C# declaration",
                           L"set \"Type\" to operation and declare the event in a group zone of " + text.cls->name +
                               L" (public event EventHandler " + member.name + L";)");
}

void IndexerName(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes)
        for (const Member& member : text.members)
            if (member.kind == Member::Property && !member.indexParameters.empty() && member.name != L"this")
                report.Add(*member.element, L"csharp-indexer-name",
                           L"\"Parameters\" makes the property " + member.name + L" an indexer, and a C# indexer is "
                           L"named this",
                           L"set its \"PropertyName\" to this (or clear \"Parameters\")");
}

void AbstractMember(const UnitText& unit, Report& report)
{
    if (unit.language != Language::CSharp)
        return;
    for (const ClassText& text : unit.classes) {
        if (text.isInterface || text.isEnum ||
            Lower(Property(*unit.model, *text.cls, Csharp, L"Inheritance")) == L"abstract")
            continue;
        std::set<const Element*> reported;
        for (const Member& member : text.members)
            if ((member.kind == Member::Method || member.kind == Member::Property) &&
                Lower(Property(*unit.model, *member.element, Csharp, L"Kind")) == L"abstract" &&
                reported.insert(member.element).second)
                report.Add(*member.element, L"csharp-abstract-member",
                           L"the " + member.what + L" " + member.name + L" is abstract, but its class " +
                               text.cls->name + L" is not",
                           L"set the class's \"Inheritance\" to abstract, or the member's \"Kind\" to common or virtual");
    }
}

} // namespace

const std::vector<Rule>& SettingRules()
{
    static const std::vector<Rule> rules = {
        {{L"documentation-breaks-comment", L"Delphi, C#",
          L"documentation with a \"}\" (Delphi) or of several lines (C#) that leaves its comment"},
         Documentation},
        {{L"csharp-interface-guid", L"C#", L"an interface with a \"GUID\" (written as a Delphi GUID line)"}, InterfaceGuid},
        {{L"csharp-const-without-value", L"C#", L"a \"Const\" field without an initial value"}, ConstWithoutValue},
        {{L"csharp-event-operation", L"C#", L"an operation of \"Type\" event (a method with a body)"}, EventWithBody},
        {{L"csharp-indexer-name", L"C#", L"a property with \"Parameters\" whose name is not this"}, IndexerName},
        {{L"csharp-abstract-member", L"C#", L"an abstract member of a class whose \"Inheritance\" is not abstract"},
         AbstractMember},
    };
    return rules;
}

} // namespace VexloLint
