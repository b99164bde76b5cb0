// The C# reader's walk over the syntax tree, shared by its file and member parts.
#pragma once

#include "CSharpTree.h"
#include "Declarations.h"
#include "ZoneMarkers.h"

namespace VexloCode::CSharp {

class Reader {
 public:
  Reader(std::string_view text, CodeFile& file, const std::vector<ZoneMarker>& markers)
      : tree_(text), file_(file), markers_(markers) {}

  // The using directives, namespaces and types under a compilation unit or namespace body.
  void Declarations(TSNode parent, std::vector<std::string> namespaces, int depth);

 private:
  void Type(TSNode n, const std::vector<std::string>& doc, const std::vector<std::string>& namespaces);
  void Unreadable(TSNode n);
  void Skip(TSNode n, std::string why);
  std::string FirstLine(TSNode n) const;

  // CSharpMembers.cpp
  void Members(TSNode body, TypeDecl& type);
  bool Member(TSNode n, const std::vector<std::string>& doc, TypeDecl& type);
  void Fields(TSNode n, VexloCode::Member shape, TypeDecl& type);
  void Property(TSNode n, VexloCode::Member& m);
  void Method(TSNode n, VexloCode::Member& m);
  std::vector<Parameter> Parameters(TSNode list);
  void TakeZoneId(VexloCode::Member& m, const TypeDecl& type, TSNode n);

  Tree tree_;
  CodeFile& file_;
  const std::vector<ZoneMarker>& markers_;
};

// "/// <summary>", "/// text", "/// </summary>" -> "text".
std::string DocText(const std::vector<std::string>& lines);
// An access word goes to the visibility ("protected internal"), any other to the modifiers.
void AddModifier(const std::string& word, std::string& visibility, std::vector<std::string>& modifiers);

}  // namespace VexloCode::CSharp
