// What a code reader finds in one generated source file: the declarations a model can
// express, each with its line, and what it could not read. `vexlo reverse` compares
// these with what the model generates; the readers know nothing of the model.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace VexloCode {

enum class Language { Delphi, CSharp };

struct Parameter {
  std::string name;
  std::string type;
  std::string kind;          // "", "var", "const", "out", "constref" (Delphi);
                             // "", "ref", "out", "in", "params", "this" (C#)
  std::string defaultValue;  // text after '=' without surrounding blanks; "" when none
};

struct Member {
  // Constant: a Delphi class constant (a "const" section in a class body); a C# const field
  // is a Field with the modifier "const". A C# indexer is a Property named "this".
  enum class Kind { Field, Method, Property, EnumValue, Constant };
  Kind kind = Kind::Field;
  std::string name;
  std::string visibility;  // as written or implied by its section: "private", "protected", "public",
                           // "published", "internal", "protected internal", "strict private",
                           // "automated", ""
  std::string type;        // field and property type, method result ("" for a procedure / void)
  std::string initialValue;           // fields, constants and enum values: text after '='
  std::vector<Parameter> parameters;  // methods; a property's index parameters
  std::vector<std::string> modifiers; // lower case, in the order written: "class", "static", "virtual",
                                      // "abstract", "override", "overload", "reintroduce", "dynamic",
                                      // "const", "readonly", "sealed", "new", calling conventions, ...;
                                      // "auto" for a C# property whose accessors have no bodies
  std::string methodKind;  // Delphi: "function", "procedure", "constructor", "destructor";
                           // C#: "method", "constructor", "destructor"; "" for other kinds
  std::string readAccessor;   // Delphi: the name after "read"; C#: "get" when the property has one
  std::string writeAccessor;  // Delphi: the name after "write"; C#: "set" when the property has one
  std::string documentation;  // the documentation comment's text as the generator writes it, markers removed
  std::string uniqueId;    // the element id of the zones that belong to this member
                           // ("62B0A1C30071" of "//## begin TX::Search%62B0A1C30071.body"), "" when none
  std::string zoneTag;     // the kind of zone the id came from: "body" (an operation), "getbody" or
                           // "setbody" (an attribute's or role's accessor: the accessor method, and
                           // the property and field "F" + name of the same attribute); a property
                           // with both accessors has the tag of its first zone; "" when none
  int line = 0;            // 1-based line of the declaration's first line
  int endLine = 0;         // its last line
  int headEnd = -1;        // C#: the last line of its head, before a body or accessors that start on a
                           // line of their own (line - 1 when they start on its first line); -1: endLine
};

// A Delphi method's header in the implementation section: "function TX.Name(A: T): R;".
struct ImplementationHeader {
  std::string type, name, result;
  std::string methodKind;  // "function", "procedure", "constructor", "destructor"; "class function", ...
  std::vector<Parameter> parameters;
  int line = 0, endLine = 0;
  bool alone = false;      // no other text shares its lines
};

struct TypeDecl {
  std::string name;
  std::string kind;        // Delphi: "class", "interface", "dispinterface", "object", "record", "enum";
                           // C#: "class", "struct", "interface", "enum"
  std::string visibility;  // C#: "public", "internal", ...; Delphi: ""
  std::vector<std::string> modifiers;  // C#: "abstract", "sealed", "static", "partial", ...;
                                       // Delphi: "packed", "abstract", "sealed"
  std::vector<std::string> bases;      // superclass and interfaces in the order written
  std::vector<std::string> namespaces; // C#: enclosing namespaces, outermost first
  std::string guid;                    // Delphi interfaces: the GUID without braces
  std::string documentation;
  std::vector<Member> members;
  std::string uniqueId;    // the id of the type's own zones ("TSearchEngine%62B0A1C3001D.public")
  int line = 0;
  int endLine = 0;
};

// A declaration left as it is: generics, nested types, conditional compilation,
// a declaration split by a zone, text the reader does not understand.
struct NotReadBack {
  NotReadBack() = default;
  NotReadBack(int first, std::string reason, int last = 0) : line(first), why(std::move(reason)), endLine(last) {}
  int line = 0;
  std::string why;
  int endLine = 0;   // the declaration's last line (0: the first line only)
  std::string text;  // its lines outside the zones, trimmed: whether the user changed it
};

// A statement between a method's opening ("begin", "{") and its body zone: the place
// where the generators write a constructor's initialisations of its class's fields
// ("FWidth:=0;", "Fbalance=0;").
struct Initialisation {
  std::string methodId;  // the id of the method's body zone
  std::string scope;     // its scope ("TShape::Create")
  std::string field;     // the field assigned ("FWidth"); "" when the statement is no such assignment
  std::string value;     // the value assigned, without surrounding blanks
  std::string text;      // the statement as written, trimmed
  int line = 0;
};

struct CodeFile {
  std::string path;
  Language language = Language::Delphi;
  std::string unitName;               // Delphi: the name after unit / program / package;
                                      // C#: the scope of the file's "suses" zone (the component)
  std::string uniqueId;               // the id of the file's own zones ("Catalog%62B0A1C30007.suses")
  std::vector<std::string> uses;      // Delphi interface uses list / C# using directives, in order
  std::vector<TypeDecl> types;        // in the order of the file
  std::vector<NotReadBack> notReadBack;
  std::vector<Initialisation> initialisations;  // in the order of the file
  std::vector<ImplementationHeader> implementations;  // Delphi, in the order of the file
};

// The statements before each method body zone of the text (both languages).
std::vector<Initialisation> ReadInitialisations(std::string_view text, Language language);
// The same with the text's zone markers, found already (FindZoneMarkers).
struct ZoneMarker;
std::vector<Initialisation> ReadInitialisations(std::string_view text, Language language,
                                                const std::vector<ZoneMarker>& markers);

// Reads the declarations of one file's text; never throws on malformed input: what it
// cannot read goes to notReadBack with its line.
CodeFile ReadDelphi(std::string path, std::string_view text);
CodeFile ReadCSharp(std::string path, std::string_view text);
// Two versions of one C# file, the second parsed again only where it differs from the
// first: the same as two reads, in less time where the versions differ in a part.
std::pair<CodeFile, CodeFile> ReadCSharpTwice(const std::string& path, std::string_view before, std::string_view after);
// The same in two steps: one version read, its syntax tree kept; another version read
// from it later (not two at once: ReadAgain is not for several threads at a time).
class CSharpParse {
 public:
  CSharpParse(std::string path, std::string_view text);
  ~CSharpParse();
  CSharpParse(const CSharpParse&) = delete;
  CSharpParse& operator=(const CSharpParse&) = delete;
  const CodeFile& File() const { return file_; }
  CodeFile ReadAgain(std::string_view other) const;

 private:
  std::string path_, masked_;  // the text as the parser read it
  CodeFile file_;
  void* tree_ = nullptr;  // the parser's tree, when the grammar read the text
};

// By the file's extension: ".pas", ".dpr", ".dpk" Delphi, ".cs" C# (any letter case);
// nullopt for any other file.
std::optional<CodeFile> ReadCode(std::string path, std::string_view text);

// Whether this build reads C# (the grammar is compiled in); when it is not, ReadCSharp
// reads nothing and CSharpReaderMissing() says what to install.
bool CSharpReaderAvailable();
std::string CSharpReaderMissing();

}  // namespace VexloCode
