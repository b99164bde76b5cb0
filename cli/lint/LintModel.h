// What the generators will write for a component, read from the model as they read it:
// which classes, in which order, and per class the members with the names and types
// that end up in the text. The rules judge this, not the raw model, so that a member
// the generator leaves out (its "GenerateCode" is false, a role that is no aggregate)
// is never reported.
#pragma once

#include "Lint.h"

#include <set>
#include <string>
#include <vector>

namespace VexloLint {

enum class Language { Delphi, CSharp };

struct Member {
    enum Kind { Field, Method, Property, Value } kind = Field;
    const RoseHost::Element* element = nullptr; // the attribute, operation or role
    std::wstring what;          // "field", "read accessor", "operation", ...
    std::wstring name;          // as written
    std::wstring nameProperty;  // the property the name comes from ("" = the element's name)
    std::wstring type;          // as written ("" = none)
    std::wstring indexParameters; // "Parameters" of a property or accessor
    std::vector<const RoseHost::Parameter*> parameters; // of an operation
    int16_t visibility = RoseHost::PublicAccess;
    bool accessors = false;     // a property with a read or a write accessor
    bool overload = false;      // Delphi "IsOverload"
    bool constructor = false;   // C#: named like its class and returning it
};

struct ClassText {
    const RoseHost::Class* cls = nullptr;
    std::wstring kind; // lower-cased "Kind" ("class", "interface", "enum", ...)
    bool isInterface = false;
    bool isEnum = false;
    std::vector<Member> members;
};

struct UnitText {
    const RoseHost::Model* model = nullptr;
    const RoseHost::Module* module = nullptr;
    Language language = Language::Delphi;
    std::wstring tool;          // "Delphi" or "C#"
    std::wstring componentKind; // Delphi "ComponentKind" (lower case); "" for C#
    bool writesClasses = false; // the file holds the class texts (a Delphi unit, any C# file)
    std::vector<ClassText> classes; // generated classes, in the order of the file
    const LintSettings* settings = nullptr;
};

// What the component's file will hold; false when the component writes no file.
bool ReadUnit(const RoseHost::Model& model, const RoseHost::Module& module, UnitText& unit);

// The class at the other end of a role, as the generators choose it.
const RoseHost::Class* RoleTarget(const RoseHost::Role& role);

// "Catalog::TItem::Title", "Catalog::TItem::Add(item)", "Components::Catalog".
std::wstring ElementPath(const RoseHost::Element& element);

// The tool's property as the host reports it (own value, else default).
std::wstring Property(const RoseHost::Model& model, const RoseHost::Element& element, const std::wstring& tool,
                      const wchar_t* name);
bool IsTrue(const std::wstring& value);
std::wstring Lower(std::wstring text);

// The C# namespace path of a logical package ("" when no package up the chain is one).
std::wstring NamespaceOf(const RoseHost::Model& model, const RoseHost::Category* category);

// Collects findings: each with the element's place and path.
class Report {
public:
    explicit Report(const ZoneLookup& zones) : m_zones(zones) {}
    void Add(const RoseHost::Element& element, const std::wstring& rule, const std::wstring& message,
             const std::wstring& fix);
    // The zone's text in the component's old file, if any.
    std::optional<std::string> Zone(const RoseHost::Module& module, const std::wstring& scope,
                                    const std::wstring& tag) const;
    std::vector<Finding> Take() { return std::move(m_findings); }

private:
    const ZoneLookup& m_zones;
    std::vector<Finding> m_findings;
};

// One rule: its table entry and what it checks in one component's text.
struct Rule {
    RuleInfo info;
    void (*check)(const UnitText& unit, Report& report);
};

// The rules of each group, in the order they are reported.
const std::vector<Rule>& MemberRules();
const std::vector<Rule>& DelphiRules();
const std::vector<Rule>& CSharpRules();
const std::vector<Rule>& SettingRules();
const std::vector<Rule>& TypeRules();

// Reads a type text as the language does: false with the first token that does not fit,
// else true with the names it uses, qualified as written ("System.DateTime", "TBook").
bool ParseType(Language language, const std::wstring& text, std::vector<std::wstring>& names, std::wstring& bad);
// Why a text ParseType refused is no type, naming the other language's form it has.
std::wstring WhyNoType(Language language, const std::wstring& text, const std::wstring& bad);
// bool, int, string, void, ...: C#'s keywords that name types.
bool IsCSharpTypeKeyword(const std::wstring& word);

// The namespaces a C# file opens: its using lines and those in its "suses" zone.
std::set<std::wstring> OpenNamespaces(const UnitText& unit, const Report& report);

// The standard units (Delphi) or namespaces (C#) that declare a type name, "" for one
// built into the language; empty when no standard one does.
std::vector<std::wstring> StandardHomes(Language language, const std::wstring& name);
// A unit or namespace whose types StandardHomes knows.
bool IsStandardUnit(Language language, const std::wstring& unit);

// Identifiers of the languages: "" when the text is a valid identifier, else why not
// ("it is empty", "it holds a blank", "it is a reserved word", ...).
std::wstring IdentifierProblem(Language language, const std::wstring& text);
// The identifiers of a type text ("array of TBook" -> array, of, TBook).
std::vector<std::wstring> IdentifiersOf(const std::wstring& text);

} // namespace VexloLint
