// What the comparison's files share: the file being compared (its messages and the
// changes it collects) and the mapping of declarations to model values.
#pragma once

#include "ReverseCompare.h"
#include "PetalText.h"

namespace VexloReverse::Detail {

using namespace RoseHost;
using VexloCode::CodeFile;
using VexloCode::Language;
using VexloCode::Member;
using VexloCode::TypeDecl;
using VexloModelWriter::ModelWriter;
using VexloModelWriter::NewParameter;

// The model's names in the code files' bytes (the run's code page), so that they compare.
inline std::string Narrow(const std::wstring& w) { return VexloModelWriter::AnsiText(w); }
inline std::wstring Widen(const std::string& s) { return VexloModelWriter::AnsiWide(s); }

// The element id in a zone id ("TX::Search%62B0A1C30071.body" or the id alone).
inline std::string QuidOf(const std::string& zoneId)
{
    size_t from = zoneId.find('%');
    from = from == std::string::npos ? 0 : from + 1;
    size_t to = zoneId.find('.', from);
    return zoneId.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

inline const char* ExportControlOf(const std::string& visibility)
{
    if (visibility == "public" || visibility == "published")
        return "Public";
    if (visibility == "protected")
        return "Protected";
    if (visibility == "private")
        return "Private";
    if (visibility == "internal")
        return "Implementation";
    return nullptr;
}

// The model's own name of a field: the generators write "F" + the attribute's name.
inline bool FieldName(const Member& m, std::string& name)
{
    if (m.name.size() < 2 || m.name[0] != 'F')
        return false;
    name = m.name.substr(1);
    return true;
}

inline std::string ParameterList(const Member& m, Language language)
{
    std::string out;
    for (const auto& p : m.parameters) {
        if (!out.empty())
            out += language == Language::Delphi ? "; " : ", ";
        out += language == Language::Delphi ? p.name + ": " + p.type : p.type + " " + p.name;
    }
    return out;
}

inline std::vector<NewParameter> ParametersOf(const Member& m)
{
    std::vector<NewParameter> out;
    for (const auto& p : m.parameters)
        out.push_back({p.name, p.type, ""});
    return out;
}

inline bool SameParameters(const Member& a, const Member& b)
{
    if (a.parameters.size() != b.parameters.size())
        return false;
    for (size_t i = 0; i < a.parameters.size(); ++i)
        if (a.parameters[i].name != b.parameters[i].name || a.parameters[i].type != b.parameters[i].type)
            return false;
    return true;
}

struct FileContext {
    const Model& model;
    const CodeFile& user;
    const std::string& shown;
    bool prune;
    Comparison& out;

    std::string At(int line) const { return " (" + shown + ":" + std::to_string(line) + ")"; }
    void NotReadBack(int line, const std::string& why) const
    {
        out.notReadBack.push_back(shown + ":" + std::to_string(line) + ": " + why);
    }
    // The element the changes being made are about (for the three-way comparison).
    mutable const Element* subject = nullptr;

    void Change(std::string line, std::function<void(ModelWriter&)> apply, std::string value = "") const
    {
        Add({std::move(line), [apply = std::move(apply)](ModelWriter& w) {
                 apply(w);
                 return std::vector<std::string>();
             }},
            std::move(value));
    }
    // Fills in the change's key, value, element and place from its line.
    void Add(ModelChange change, std::string value = "") const
    {
        std::string line = change.line;
        if (size_t at = line.rfind(" (" + shown + ":"); at != std::string::npos) {
            change.codePlace = line.substr(at + 2, line.size() - at - 3);
            line.resize(at);
        }
        change.value = value.empty() ? line : value;
        size_t cut = line.find(" to ");
        if (line.compare(0, 4, "add ") == 0)
            cut = std::min({line.find(": "), line.find('('), line.find(" (")});
        change.key = line.substr(0, cut);
        change.element = subject;
        out.changes.push_back(std::move(change));
    }
};

// The model element a generated member stands for (by its zones' id, else by name).
const Element* ElementOf(const Model& model, const Class& cls, const Member& g);
// Pairs each user member with the generated one it was (-1: none): same id, else same
// kind and name, else the next unpaired one of its kind (a rename).
std::vector<int> PairMembers(const std::vector<Member>& generated, const std::vector<Member>& user);
bool Has(const Member& m, const char* word);
// The attribute settings a field's modifiers give; false (said) when the generator cannot write them.
bool FieldModifiers(const FileContext& c, const Member& u, std::vector<VexloModelWriter::Setting>& settings);
// A field that stands for an attribute or a role, as generated (`g`) and as written (`u`).
void CompareField(const FileContext& c, const Class& cls, const Member& g, const Member& u);
// Whether the model can express the declaration; says what it cannot when not.
bool Expressible(const FileContext& c, const Member& u, const Member* g = nullptr);
// A new type of the user's file: a class of the model, in the package and component of
// the classes the file holds.
void AddType(const FileContext& c, const CodeFile& generated, const TypeDecl& u);
// The enumerated value of a tool's setting as the model file writes it ("(\"ClassKindSet\" 111)"),
// from the property sets the model has; "" when the set has no such word.
std::string EnumValue(const Model& model, const std::wstring& tool, const std::wstring& set, const std::string& word);
// The settings a new operation needs for its directives (those that differ from the defaults).
std::vector<VexloModelWriter::Setting> NewOperationSettings(const FileContext& c, const Class& cls, const Member& u);
// A method's directives changed: the operation's settings follow.
void CompareDirectives(const FileContext& c, const Class& cls, const Element& op, const Member& g, const Member& u);
// A method that a property of the type names as its read or write accessor.
bool IsPropertyAccessor(const TypeDecl& t, const Member& m);
// An accessor whose parameters and result are those its property gives it (Delphi: the
// index parameters, then Value for a write method).
bool AccessorAgrees(const TypeDecl& t, const Member& m);
// A Delphi property's index parameters as the attribute's "Parameters" setting holds them.
std::string IndexText(const Member& p);
// Properties added, changed or removed: the settings of their attributes; the fields that
// became a new property's data member are put in `fieldsTaken`.
void CompareProperties(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u,
                       std::vector<std::string>& fieldsTaken);
// Enumerations: their values are the class's attributes (ReverseEnums.cpp). Whether the
// model can hold the enumeration as written (says why not); a value as a new attribute;
// the values added, renamed, numbered or removed.
bool EnumExpressible(const FileContext& c, const TypeDecl& u);
VexloModelWriter::NewAttribute Literal(const Member& m);
void CompareEnum(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u);
// The type's kind changed (a C# class made a struct): the class's "Kind".
void CompareKind(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u);
// The fields' initial values that the constructors' initialisations give (ReverseInitial.cpp).
void CompareInitialisations(const FileContext& c, const CodeFile& generated);
// Superclasses and interfaces added or removed.
void CompareBases(const FileContext& c, const Class& cls, const TypeDecl& g, const TypeDecl& u);

} // namespace VexloReverse::Detail
