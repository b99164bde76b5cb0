// A unit, program or package: its header, the interface section's uses list and type
// sections, and the implementation section's method headers, whose zones carry the ids
// of the members they implement.
#include "DelphiParse.h"

#include <algorithm>
#include <unordered_map>

namespace VexloCode {
namespace Delphi {
namespace {

void ReadUses(Cursor& cur, CodeFile& file) {
  cur.Take();  // "uses"
  while (!cur.AtEnd() && !cur.Is(";") && !IsSectionWord(cur.Peek().lower)) {
    std::string name;
    while (cur.IsWord()) {
      name += cur.Take().text;
      if (!cur.Is(".")) break;
      name += cur.Take().text;
    }
    if (!name.empty()) file.uses.push_back(name);
    if (cur.Accept("in")) cur.Take();  // 'path\Unit.pas'
    if (!cur.Accept(",") && !cur.Is(";")) cur.Take();
  }
  cur.Accept(";");
}

// The declarations of a unit-level section the model has no place for.
void SkipSection(Context& ctx, const std::string& word) {
  ctx.cur.Take();
  while (ctx.cur.IsWord() && !IsSectionWord(ctx.cur.Peek().lower) && ctx.cur.Peek().lower != "procedure" &&
         ctx.cur.Peek().lower != "function") {
    ctx.Skip(ctx.cur.Peek().line, "a unit-level " + word + " declaration (" + ctx.cur.Peek().text + ")");
    SkipDeclaration(ctx.cur);
  }
}

void ReadInterface(Context& ctx) {
  Cursor& cur = ctx.cur;
  while (!cur.AtEnd()) {
    const std::string w = cur.Peek().lower;
    if (w == "implementation" || w == "begin" || (w == "end" && cur.Is(".", 1))) return;
    if (w == "uses") {
      ReadUses(cur, ctx.file);
    } else if (w == "type") {
      cur.Take();
      while (!cur.AtEnd() && !IsSectionWord(cur.Peek().lower) && !cur.Is("procedure") && !cur.Is("function") &&
             !(cur.Is("end") && cur.Is(".", 1)))
        ReadTypeDeclaration(ctx);
    } else if (w == "const" || w == "var" || w == "resourcestring" || w == "threadvar") {
      SkipSection(ctx, w);
    } else if (w == "procedure" || w == "function") {
      ctx.Skip(cur.Peek().line, "a routine outside a class (" + cur.Peek(1).text + ")");
      SkipDeclaration(cur);
      while (IsDirective(cur.Peek().lower)) SkipDeclaration(cur);
    } else if (w == "requires" || w == "contains" || w == "exports") {
      SkipDeclaration(cur);  // package lists live in zones of their own
    } else {
      ctx.Skip(cur.Peek().line, "unknown text ('" + cur.Peek().text + "')");
      SkipDeclaration(cur);
    }
  }
}

using ImplHeader = ImplementationHeader;

bool InZone(const std::vector<ZoneMarker>& markers, int line) {
  int open = 0;
  for (const ZoneMarker& m : markers) {
    if (m.line >= line) break;
    open += m.begin ? 1 : -1;
  }
  return open > 0;
}

// The headers of the methods the implementation section holds. A routine of the section
// itself (not a method, not nested in one) outside the zones is said: the generator writes
// only methods there, so the next generation saves it to the .vxlost file.
std::vector<ImplHeader> ReadImplementationHeaders(Context& ctx) {
  Cursor& cur = ctx.cur;
  std::vector<ImplHeader> out;
  int depth = 0, awaiting = 0;  // blocks open; routines whose block has not ended yet
  while (!cur.AtEnd()) {
    const std::string& w = cur.Take().lower;
    if (w == "begin" || w == "try" || w == "case" || w == "asm" || w == "record") ++depth;
    if (w == "end" && depth > 0 && --depth == 0 && awaiting > 0) --awaiting;
    if (w == "initialization" || w == "finalization") break;
    if (w != "procedure" && w != "function" && w != "constructor" && w != "destructor") continue;
    // A procedural type: "procedure of object", "procedure(X: Integer)", "function: Integer".
    if (cur.Is("(") || cur.Is(";") || cur.Is(":") || cur.Is("of")) continue;
    ImplHeader h;
    h.line = cur.LineBefore();
    size_t start = cur.Position() - 1;  // the routine's word, or "class" before it
    h.methodKind = w;
    if (start > 0 && cur.At(start - 1).lower == "class") h.methodKind = "class " + cur.At(--start).lower;
    const bool nested = awaiting > 0 || depth > 0;
    if (depth == 0) ++awaiting;
    std::vector<std::string> parts;
    while (cur.IsWord()) {
      parts.push_back(cur.Take().text);
      if (!cur.Accept(".")) break;
    }
    if (parts.size() < 2) {
      if (!nested && !parts.empty() && !InZone(ctx.markers, h.line))
        ctx.Skip(h.line, "the routine " + parts.front() + " of the implementation section: the generator writes only "
                         "the methods of the unit's classes there (put it into the unit's iuses zone to keep it)");
      continue;
    }
    h.name = parts.back();
    parts.pop_back();
    for (const std::string& p : parts) h.type += (h.type.empty() ? "" : ".") + p;
    if (cur.Is("(")) h.parameters = ReadParameters(cur, ")");
    if (cur.Accept(":")) {
      const size_t first = cur.Position();
      while (!cur.AtEnd() && !cur.Is(";") && !IsSectionWord(cur.Peek().lower)) cur.Take();
      if (cur.Position() > first) h.result = cur.TextOf(first, cur.Position() - 1);
    }
    h.endLine = cur.Peek().line;
    h.alone = cur.Is(";") && (start == 0 || cur.At(start - 1).line < cur.At(start).line) &&
              cur.Peek(1).line > h.endLine;
    out.push_back(std::move(h));
  }
  return out;
}

bool SameParameters(const std::vector<Parameter>& a, const std::vector<Parameter>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!EqualNoCase(a[i].name, b[i].name) || !EqualNoCase(a[i].type, b[i].type)) return false;
  return true;
}

// The method a header implements: the first one of its name and parameters that has no
// id yet (declarations may repeat), else the only one of its name.
Member* FindMethod(TypeDecl& type, const ImplHeader& h) {
  Member* only = nullptr;
  int named = 0;
  for (Member& m : type.members) {
    if (m.kind != Member::Kind::Method || !EqualNoCase(m.name, h.name)) continue;
    if (m.uniqueId.empty() && SameParameters(m.parameters, h.parameters)) return &m;
    only = &m;
    ++named;
  }
  return named == 1 ? only : nullptr;
}

void SetId(Member& m, const ZoneMarker& zone) {
  if (!m.uniqueId.empty()) return;
  m.uniqueId = zone.id;
  m.zoneTag = BodyTag(zone.tag);
}

// An accessor's zones hold its attribute's id: it goes to the property read or written
// through the accessor and to the field the generator names after it.
void AttachAccessor(TypeDecl& type, const std::string& accessor, const ZoneMarker& zone) {
  const std::string tag = BodyTag(zone.tag);
  if (tag != "getbody" && tag != "setbody") return;
  const std::string attribute = accessor.size() > 3 ? accessor.substr(3) : "";
  for (Member& m : type.members) {
    const bool property = m.kind == Member::Kind::Property &&
                          EqualNoCase(tag == "getbody" ? m.readAccessor : m.writeAccessor, accessor);
    const bool field = m.kind == Member::Kind::Field && !attribute.empty() && EqualNoCase(m.name, "F" + attribute);
    if (property || field) SetId(m, zone);
  }
}

// Each implementation header takes the id of the first zone after it (before the next
// header) whose scope names its class and method.
void AttachIds(CodeFile& file, const std::vector<ImplHeader>& headers, const std::vector<ZoneMarker>& markers) {
  std::unordered_multimap<std::string, TypeDecl*> types;  // by lower-case name
  for (TypeDecl& type : file.types) types.emplace(Lower(type.name), &type);
  for (size_t i = 0; i < headers.size(); ++i) {
    const ImplHeader& h = headers[i];
    const int next = i + 1 < headers.size() ? headers[i + 1].line : 1 << 30;
    const ZoneMarker* zone = nullptr;
    // The markers are in line order: those after the header, up to the next one.
    for (auto z = MarkerAt(markers, h.line + 1); z != markers.end() && z->line < next; ++z)
      if (z->begin && EqualNoCase(z->scope, h.type + "::" + h.name)) {
        zone = &*z;
        break;
      }
    if (!zone) continue;
    for (auto [it, end] = types.equal_range(Lower(h.type)); it != end; ++it) {
      if (Member* m = FindMethod(*it->second, h)) SetId(*m, *zone);
      AttachAccessor(*it->second, h.name, *zone);
    }
  }
}

void ReadHeader(Cursor& cur, CodeFile& file, const std::vector<ZoneMarker>& markers) {
  if (!(cur.Is("unit") || cur.Is("program") || cur.Is("package") || cur.Is("library"))) return;
  cur.Take();
  while (cur.IsWord()) {
    file.unitName += cur.Take().text;
    if (!cur.Is(".")) break;
    file.unitName += cur.Take().text;
  }
  SkipDeclaration(cur);
  file.uniqueId = OwnZoneId(markers, file.unitName);
  cur.Accept("interface");
}

}  // namespace
}  // namespace Delphi

CodeFile ReadDelphi(std::string path, std::string_view text) {
  using namespace Delphi;
  CodeFile file;
  file.path = std::move(path);
  file.language = Language::Delphi;
  const Lexed lexed = Lex(text);
  const std::vector<ZoneMarker> markers = FindZoneMarkers(text);
  Cursor cur(lexed.tokens, text);
  Context ctx{cur, file, lexed, markers};
  ReadHeader(cur, file, markers);
  ReadInterface(ctx);
  if (cur.Is("implementation")) {
    file.implementations = ReadImplementationHeaders(ctx);
    AttachIds(file, file.implementations, markers);
  }
  for (const Directive& d : lexed.directives)
    if ((d.name == "I" && d.text.size() > 2 && d.text[2] != '+' && d.text[2] != '-') || d.name == "INCLUDE")
      ctx.Skip(d.line, "an included file ({" + d.text + "}) is not read");
  if (!lexed.unterminated.empty())
    ctx.Skip(lexed.unterminatedLine, "a " + lexed.unterminated + " that is never closed");
  DescribeNotReadBack(file.notReadBack, text, markers, "Delphi");
  file.initialisations = ReadInitialisations(text, Language::Delphi, markers);
  return file;
}

}  // namespace VexloCode
