// The C# reader's walk over the syntax tree, shared by its file and member parts.
#pragma once

#include "CSharpTree.h"
#include "Declarations.h"
#include "ZoneMarkers.h"

#include <unordered_map>

namespace VexloCode::CSharp {

class Reader {
 public:
  Reader(std::string_view text, CodeFile& file, const std::vector<ZoneMarker>& markers,
         const std::vector<char>& continuation)
      : tree_(text), text_(text), file_(file), markers_(markers), continuation_(continuation) {
    lineStarts_ = {0, 0};  // by 1-based line
    for (size_t i = 0; i < text.size(); ++i)
      if (text[i] == '\n') lineStarts_.push_back(i + 1);
  }

  // The using directives, namespaces and types under a compilation unit or namespace body.
  void Declarations(TSNode parent, std::vector<std::string> namespaces, int depth);

 private:
  void Type(TSNode n, const std::vector<std::string>& doc, const std::vector<std::string>& namespaces);
  void Unreadable(TSNode n);
  void Skip(TSNode n, std::string why);
  std::string FirstLine(TSNode n) const;
  bool DocComment(TSNode n) const;
  // The lines of a run of documentation comments, from the original text (a continuation
  // line too short to be given to the parser as a comment is one of them all the same).
  struct DocRange {
    int first = 0, last = 0;
  };
  std::vector<std::string> DocLines(DocRange doc) const;

  // CSharpMembers.cpp
  void Members(TSNode body, TypeDecl& type);
  bool Member(TSNode n, const std::vector<std::string>& doc, TypeDecl& type);
  void Fields(TSNode n, VexloCode::Member shape, TypeDecl& type);
  void Property(TSNode n, VexloCode::Member& m);
  void Method(TSNode n, VexloCode::Member& m);
  std::vector<Parameter> Parameters(TSNode list);
  void TakeZoneId(VexloCode::Member& m, const TypeDecl& type, TSNode n);
  const ZoneMarker* FirstBegin(const std::string& id);  // the first begin marker of that id

  Tree tree_;
  std::string_view text_;
  std::vector<size_t> lineStarts_;
  CodeFile& file_;
  const std::vector<ZoneMarker>& markers_;
  const std::vector<char>& continuation_;  // by line: a documentation line given as a comment
  std::unordered_map<std::string_view, const ZoneMarker*> firstBegin_;
};

// Lines of the generator's that are not C#, made comments in `masked` (its length kept):
// lines between "/// <summary>" and "/// </summary>" without "///" (kDocLine), and an
// interface's "['{GUID}']" line (kGuidLine); the kind of each line, by 1-based line.
constexpr char kDocLine = 1, kGuidLine = 2;
std::vector<char> MaskDocContinuations(std::string& masked);
// "/// <summary>", "/// text", "/// </summary>" -> "text".
std::string DocText(const std::vector<std::string>& lines);
// An access word goes to the visibility ("protected internal"), any other to the modifiers.
void AddModifier(const std::string& word, std::string& visibility, std::vector<std::string>& modifiers);

}  // namespace VexloCode::CSharp
