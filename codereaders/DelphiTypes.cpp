// The type section of a unit: classes, records, interfaces, dispinterfaces, objects and
// enumerations with their heritage and GUID; everything else is named and skipped.
#include <set>

#include "DelphiParse.h"

namespace VexloCode::Delphi {

void ReadTypeBody(Context& ctx, TypeDecl& type);  // DelphiMembers.cpp

std::string Cursor::TextOf(size_t first, size_t last) const {
  const Token& a = At(first);
  const Token& b = At(last);
  if (b.end <= a.begin) return a.text;
  std::string out;
  bool blank = false;
  for (char c : text_.substr(a.begin, b.end - a.begin)) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blank = true;
      continue;
    }
    if (blank && !out.empty()) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

void Context::SkipThrough(int line, std::string why) {
  SkipDeclaration(cur);
  file.notReadBack.push_back({line, std::move(why), cur.LineBefore()});
}

std::string Context::Unreadable(int first, int last) const {
  if (int line = MarkerLineWithin(markers, first, last))
    return "a zone marker (line " + std::to_string(line) + ") splits the declaration";
  for (const Conditional& c : lexed.conditionals)
    if (c.first <= last && c.last >= first)
      return "conditional compilation (" + c.opening + " at line " + std::to_string(c.first) + ")";
  return "";
}

bool IsDirective(std::string_view w) {
  static const std::set<std::string_view> words = {
      "virtual", "dynamic", "abstract", "override", "overload", "reintroduce", "static", "final",
      "inline", "stdcall", "cdecl", "pascal", "register", "safecall", "winapi", "message",
      "deprecated", "platform", "experimental", "library", "dispid", "assembler", "varargs",
      "export", "far", "near", "forward", "external", "local"};
  return words.count(w) > 0;
}

bool IsSectionWord(std::string_view w) {
  return w == "type" || w == "const" || w == "var" || w == "resourcestring" || w == "threadvar" ||
         w == "implementation" || w == "uses" || w == "begin" || w == "initialization" ||
         w == "finalization" || w == "exports" || w == "label";
}

namespace {

// Whether the word at the cursor opens a body that a matching "end" closes.
bool OpensBody(const Cursor& cur) {
  const std::string& w = cur.Peek().lower;
  if (w == "record" || w == "begin" || w == "try" || w == "asm") return true;
  if (w == "object") return cur.Position() == 0 || cur.At(cur.Position() - 1).lower != "of";
  if (w == "interface" || w == "dispinterface") return !cur.Is(";", 1);
  if (w != "class") return false;
  size_t i = 1;
  while (cur.Is("abstract", i) || cur.Is("sealed", i)) ++i;
  const std::string& next = cur.Peek(i).lower;
  if (next == ";" || next == "of" || next == "procedure" || next == "function" || next == "property" ||
      next == "var" || next == "constructor" || next == "destructor" || next == "operator" || next == "threadvar")
    return false;
  if (next != "(") return true;
  int depth = 0;  // "class(TBase);" has no body
  for (size_t k = i;; ++k) {
    const Token& t = cur.Peek(k);
    if (t.kind == Token::Kind::End || t.lower == ";") return false;  // a heritage list holds no ';'
    if (t.lower == "(") ++depth;
    if (t.lower == ")" && --depth == 0) return !cur.Is(";", k + 1);
  }
}

}  // namespace

void SkipDeclaration(Cursor& cur) {
  int depth = 0;
  while (!cur.AtEnd()) {
    const std::string& w = cur.Peek().lower;
    if (depth == 0 && w == ";") {
      cur.Take();
      return;
    }
    if (depth == 0 && (w == "implementation" || (w == "end" && cur.Is(".", 1)))) return;
    if (w == "(" || w == "[" || OpensBody(cur)) ++depth;
    else if ((w == ")" || w == "]" || w == "end") && depth > 0) --depth;
    cur.Take();
  }
}

std::vector<Parameter> ReadParameters(Cursor& cur, std::string_view close) {
  std::vector<Parameter> out;
  cur.Take();  // "(" or "["
  while (!cur.AtEnd() && !cur.Is(close)) {
    Parameter shape;
    if (cur.Is("[")) {  // [ref] and other attributes of a parameter
      while (!cur.AtEnd() && !cur.Is("]")) cur.Take();
      cur.Accept("]");
    }
    if (cur.Is("var") || cur.Is("const") || cur.Is("out") || cur.Is("constref")) shape.kind = cur.Take().lower;
    std::vector<std::string> names;
    while (cur.IsWord()) {
      names.push_back(cur.Take().text);
      if (!cur.Accept(",")) break;
    }
    int depth = 0;
    auto stops = [&] {
      return cur.AtEnd() || (depth == 0 && (cur.Is(";") || cur.Is("=") || cur.Is(close)));
    };
    if (cur.Accept(":")) {
      const size_t first = cur.Position();
      while (!stops()) {
        if (cur.Is("(") || cur.Is("[")) ++depth;
        if ((cur.Is(")") || cur.Is("]")) && depth > 0) --depth;
        cur.Take();
      }
      if (cur.Position() > first) shape.type = cur.TextOf(first, cur.Position() - 1);
    }
    if (cur.Accept("=")) {
      const size_t first = cur.Position();
      while (!stops()) {
        if (cur.Is("(") || cur.Is("[")) ++depth;
        if ((cur.Is(")") || cur.Is("]")) && depth > 0) --depth;
        cur.Take();
      }
      if (cur.Position() > first) shape.defaultValue = cur.TextOf(first, cur.Position() - 1);
    }
    for (std::string& name : names) {
      Parameter p = shape;
      p.name = std::move(name);
      out.push_back(std::move(p));
    }
    if (!cur.Accept(";") && !cur.Is(close)) cur.Take();  // text it cannot place: step over it
  }
  cur.Accept(close);
  return out;
}

namespace {

void ReadHeritage(Cursor& cur, TypeDecl& type) {
  if (!cur.Is("(")) return;
  cur.Take();
  while (!cur.AtEnd() && !cur.Is(")") && !cur.Is(";")) {
    const size_t first = cur.Position();
    int depth = 0;
    while (!cur.AtEnd() && !(depth == 0 && (cur.Is(",") || cur.Is(")"))) && !cur.Is(";")) {
      if (cur.Is("<")) ++depth;
      if (cur.Is(">") && depth > 0) --depth;
      cur.Take();
    }
    if (cur.Position() > first) type.bases.push_back(cur.TextOf(first, cur.Position() - 1));
    cur.Accept(",");
  }
  cur.Accept(")");
}

void ReadEnum(Context& ctx, TypeDecl& type) {
  Cursor& cur = ctx.cur;
  if (!cur.Accept("(")) return;
  while (!cur.AtEnd() && !cur.Is(")") && !cur.Is(";")) {
    Member value;
    value.kind = Member::Kind::EnumValue;
    value.line = value.endLine = cur.Peek().line;
    value.name = cur.Take().text;
    if (cur.Accept("=")) {
      const size_t first = cur.Position();
      int depth = 0;
      while (!cur.AtEnd() && !(depth == 0 && (cur.Is(",") || cur.Is(")"))) && !cur.Is(";")) {
        if (cur.Is("(")) ++depth;
        if (cur.Is(")") && depth > 0) --depth;
        cur.Take();
      }
      if (cur.Position() > first) value.initialValue = cur.TextOf(first, cur.Position() - 1);
    }
    type.members.push_back(std::move(value));
    cur.Accept(",");
  }
  cur.Accept(")");
}

// The kind word after "Name =" and what it can be read as; "" when the model has no such type.
std::string TypeKind(Cursor& cur, TypeDecl& type) {
  if (cur.Accept("packed")) type.modifiers.push_back("packed");
  const std::string w = cur.Peek().lower;
  if (w == "(" || w == ";") return "enum";  // "TEmpty =  ;": the generator's enumeration without values
  if (w == "class" || w == "record" || w == "interface" || w == "dispinterface" || w == "object") return w;
  return "";
}

std::string Describe(const Cursor& cur) {
  const std::string& w = cur.Peek().lower;
  if (w == "class" && cur.Is("of", 1)) return "a class reference type";
  if ((w == "class" || w == "record") && cur.Is("helper", 1)) return "a helper type";
  if (w == "type") return "a distinct type alias";
  if (w == "array") return "an array type";
  if (w == "set" || w == "file" || w == "string") return "a " + w + " type";
  if (w == "procedure" || w == "function" || w == "reference") return "a procedural type";
  if (w == "^") return "a pointer type";
  return "a type alias or subrange";
}

}  // namespace

void ReadTypeDeclaration(Context& ctx) {
  Cursor& cur = ctx.cur;
  TypeDecl type;
  if (cur.Is("[")) {  // an attribute of the type
    const int line = cur.Peek().line;
    std::string attribute;
    while (!cur.AtEnd() && !cur.Is("]")) attribute += cur.Take().text;
    cur.Accept("]");
    ctx.Skip(line, "an attribute [" + attribute + "]");
    return;
  }
  const Token& nameToken = cur.Take();
  type.name = nameToken.text;
  if (nameToken.kind != Token::Kind::Word) {
    ctx.SkipThrough(type.line = nameToken.line, "unknown text in the type section ('" + type.name + "')");
    return;
  }
  type.line = nameToken.line;
  if (nameToken.hasDoc) type.documentation = nameToken.doc;
  if (cur.Is("<") || cur.Is(".")) {
    ctx.SkipThrough(type.line, std::string(cur.Is("<") ? "a generic type" : "a qualified type name") + " (" + type.name + ")");
    return;
  }
  if (!cur.Accept("=")) {
    ctx.SkipThrough(type.line, "unknown text in the type section ('" + type.name + "')");
    return;
  }
  const std::string kind = TypeKind(cur, type);
  const bool forward = (kind == "class" || kind == "interface" || kind == "dispinterface") && cur.Is(";", 1);
  if (forward) {  // a forward declaration: the full one follows
    SkipDeclaration(cur);
    return;
  }
  if (kind.empty() || cur.Is("of", 1) || cur.Is("helper", 1)) {
    ctx.SkipThrough(type.line, Describe(cur) + " (" + type.name + ") the model cannot express");
    return;
  }
  const size_t headerStart = cur.Position();
  type.kind = kind;
  if (kind == "enum") {
    ReadEnum(ctx, type);
    cur.Accept(";");
    if (std::string why = ctx.Unreadable(type.line, cur.LineBefore()); !why.empty()) {
      ctx.Skip(type.line, "type " + type.name + ": " + why);
      return;
    }
  } else {
    cur.Take();
    while (cur.Is("abstract") || cur.Is("sealed")) type.modifiers.push_back(cur.Take().lower);
    ReadHeritage(cur, type);
    if (std::string why = ctx.Unreadable(type.line, cur.LineBefore()); !why.empty()) {
      ctx.Skip(type.line, "type " + type.name + ": " + why);
      cur.Seek(headerStart);
      SkipDeclaration(cur);
      return;
    }
    if (!cur.Accept(";"))  // "TError = class(Exception);" has no body
      ReadTypeBody(ctx, type);
  }
  type.endLine = cur.LineBefore();
  type.uniqueId = OwnZoneId(ctx.markers, type.name);
  ctx.file.types.push_back(std::move(type));
}

}  // namespace VexloCode::Delphi
