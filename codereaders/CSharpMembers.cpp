// The members of a C# type: fields, constants, properties and indexers, methods,
// constructors and destructors, enum values; the ids of the zones in their bodies.
#include "CSharpRead.h"

namespace VexloCode::CSharp {
namespace {

bool IsNestedType(std::string_view kind) {
  return kind == "class_declaration" || kind == "struct_declaration" || kind == "interface_declaration" ||
         kind == "enum_declaration" || kind == "record_declaration" || kind == "record_struct_declaration" ||
         kind == "delegate_declaration";
}

// Whether the zone markers over these lines come in whole pairs: a declaration that holds
// only one marker of a pair is cut in two by a zone.
bool PairedMarkers(const std::vector<ZoneMarker>& markers, int first, int last) {
  int open = 0;
  for (auto m = MarkerAt(markers, first); m != markers.end() && m->line <= last; ++m) {
    open += m->begin ? 1 : -1;
    if (open < 0 || open > 1) return false;
  }
  return open == 0;
}

}  // namespace

void Reader::Members(TSNode body, TypeDecl& type) {
  DocRange doc;
  for (const Child& child : tree_.Children(body)) {
    const TSNode n = child.node;
    if (!tree_.Named(n)) continue;
    if (tree_.Kind(n) == "comment" && tree_.Line(n) < static_cast<int>(continuation_.size()) &&
        continuation_[tree_.Line(n)] == kGuidLine) {
      const std::string_view raw = tree_.Raw(n);  // ['{GUID}']
      const size_t open = raw.find('{'), close = raw.rfind('}');
      if (open != std::string_view::npos && close > open) type.guid = std::string(raw.substr(open + 1, close - open - 1));
      continue;
    }
    if (tree_.Kind(n) == "comment") {
      doc = DocComment(n) ? DocRange{doc.first ? doc.first : tree_.Line(n), tree_.Line(n)} : DocRange{};
      continue;
    }
    if (!Member(n, DocLines(doc), type)) Unreadable(n);
    doc = {};
  }
  // A property's accessor zones name its attribute ("Book::SetTitle"): the field the
  // generator writes for it ("FTitle") shares the id.
  for (const VexloCode::Member& p : type.members) {
    if (p.kind != VexloCode::Member::Kind::Property || p.uniqueId.empty()) continue;
    const ZoneMarker* z = FirstBegin(p.uniqueId);
    const size_t set = z ? z->scope.find("::Set") : std::string::npos;
    if (set == std::string::npos) continue;
    for (VexloCode::Member& f : type.members)
      if (f.kind == VexloCode::Member::Kind::Field && f.uniqueId.empty() && f.name.size() > 1 && f.name[0] == 'F' &&
          f.name.compare(1, std::string::npos, z->scope, set + 5, std::string::npos) == 0) {
        f.uniqueId = p.uniqueId;
        f.zoneTag = p.zoneTag;
      }
  }
}

const ZoneMarker* Reader::FirstBegin(const std::string& id) {
  if (firstBegin_.empty())  // by id, the first begin marker: a file holds thousands
    for (const ZoneMarker& z : markers_)
      if (z.begin) firstBegin_.emplace(z.id, &z);
  const auto it = firstBegin_.find(id);
  return it == firstBegin_.end() ? nullptr : it->second;
}

// False for what is not a member the model can express; the caller names it.
bool Reader::Member(TSNode n, const std::vector<std::string>& doc, TypeDecl& type) {
  const std::string_view kind = tree_.Kind(n);
  if (IsNestedType(kind)) {
    Skip(n, "a nested type (" + type.name + "." + tree_.Text(tree_.Field(n, "name")) + ")");
    return true;
  }
  VexloCode::Member m;
  m.line = tree_.Line(n);
  m.endLine = tree_.EndLine(n);
  m.documentation = DocText(doc);
  const TSNode name = tree_.Field(n, "name");
  m.name = ts_node_is_null(name) ? "" : tree_.Text(name);
  if (kind == "enum_member_declaration") {
    m.kind = VexloCode::Member::Kind::EnumValue;
    const TSNode value = tree_.Field(n, "value");
    if (!ts_node_is_null(value)) m.initialValue = tree_.Text(value);
    type.members.push_back(std::move(m));
    return true;
  }
  const bool known = kind == "field_declaration" || kind == "property_declaration" || kind == "indexer_declaration" ||
                     kind == "method_declaration" || kind == "constructor_declaration" ||
                     kind == "destructor_declaration";
  if (!known) return false;
  if (ts_node_has_error(n)) {
    Skip(n, type.name + (m.name.empty() ? "" : "." + m.name) + ": text the C# grammar cannot read: " + FirstLine(n));
    return true;
  }
  for (const Child& child : tree_.Children(n)) {
    const std::string_view k = tree_.Kind(child.node);
    if (k == "modifier") AddModifier(tree_.Text(child.node), m.visibility, m.modifiers);
    if (k == "attribute_list")
      Skip(child.node, "an attribute " + tree_.Text(child.node) + " of " + (m.name.empty() ? "a field" : m.name) +
                           ": the C# generator writes no attributes, so no model setting gives one; the next "
                           "generation saves your line to the file's .vxlost file");
    if (k == "type_parameter_list") {
      Skip(n, type.name + "." + m.name + ": a generic method");
      return true;
    }
  }
  // The head ends where the body or the accessors begin: a zone marker before that cuts it.
  TSNode body = tree_.Field(n, "body");
  if (ts_node_is_null(body)) body = tree_.Field(n, "accessors");
  const int headEnd = ts_node_is_null(body) ? m.endLine + 1 : tree_.Line(body);
  const int marker = MarkerLineWithin(markers_, m.line, headEnd);
  if (marker || !PairedMarkers(markers_, m.line, m.endLine)) {
    Skip(n, type.name + "." + m.name + ": a zone marker (line " +
                std::to_string(marker ? marker : MarkerLineWithin(markers_, m.line, m.endLine + 1)) +
                ") splits the declaration");
    return true;
  }
  if (kind == "field_declaration") {
    Fields(n, std::move(m), type);
    return true;
  }
  // A body, accessors or an expression ("int R => 5;") are the user's text, not the head.
  const TSNode tail = ts_node_is_null(body) ? tree_.Field(n, "value") : body;
  if (!ts_node_is_null(tail)) m.headEnd = tree_.Line(tail) - 1;
  if (kind == "property_declaration" || kind == "indexer_declaration") Property(n, m);
  else Method(n, m);
  TakeZoneId(m, type, n);
  type.members.push_back(std::move(m));
  return true;
}

void Reader::Fields(TSNode n, VexloCode::Member shape, TypeDecl& type) {
  shape.kind = VexloCode::Member::Kind::Field;
  for (const Child& child : tree_.Children(n)) {
    if (tree_.Kind(child.node) != "variable_declaration") continue;
    shape.type = tree_.Text(tree_.Field(child.node, "type"));
    for (const Child& declarator : tree_.Children(child.node)) {
      if (tree_.Kind(declarator.node) != "variable_declarator") continue;
      VexloCode::Member m = shape;
      m.name = tree_.Text(tree_.Field(declarator.node, "name"));
      bool afterEquals = false;
      for (const Child& part : tree_.Children(declarator.node)) {
        if (afterEquals && tree_.Named(part.node)) m.initialValue = tree_.Text(part.node);
        if (tree_.Kind(part.node) == "=") afterEquals = true;
      }
      type.members.push_back(std::move(m));
    }
  }
}

void Reader::Property(TSNode n, VexloCode::Member& m) {
  m.kind = VexloCode::Member::Kind::Property;
  m.type = tree_.Text(tree_.Field(n, "type"));
  if (tree_.Kind(n) == "indexer_declaration") {
    m.name = "this";
    m.parameters = Parameters(tree_.Field(n, "parameters"));
  }
  const TSNode value = tree_.Field(n, "value");
  if (!ts_node_is_null(value) && tree_.Kind(value) != "arrow_expression_clause") m.initialValue = tree_.Text(value);
  const TSNode accessors = tree_.Field(n, "accessors");
  if (ts_node_is_null(accessors)) {
    m.readAccessor = "get";  // "int P => expression;"
    return;
  }
  bool bodies = false;
  for (const Child& accessor : tree_.Children(accessors)) {
    if (tree_.Kind(accessor.node) != "accessor_declaration") continue;
    std::string access, which;
    for (const Child& part : tree_.Children(accessor.node)) {
      const std::string_view word = tree_.Kind(part.node);
      if (word == "get") m.readAccessor = "get";
      if (word == "set" || word == "init") m.writeAccessor = std::string(word);
      if (word == "get" || word == "set" || word == "init") which = std::string(word);
      if (word == "modifier") access += (access.empty() ? "" : " ") + tree_.Text(part.node);
      bodies = bodies || word == "block" || word == "arrow_expression_clause";
    }
    if (!access.empty())  // "private set": the accessor's own access
      Skip(accessor.node, std::string("the ") + which + " accessor of " + m.name + " is " + access +
                              ": the C# generator writes a property's accessors without an access of their own, so "
                              "no model setting gives one; the next generation writes the accessor without it and "
                              "saves your line to the file's .vxlost file");
  }
  if (!bodies) m.modifiers.push_back("auto");  // { get; set; }: the compiler gives it a field
}

void Reader::Method(TSNode n, VexloCode::Member& m) {
  m.kind = VexloCode::Member::Kind::Method;
  const std::string_view kind = tree_.Kind(n);
  m.methodKind = kind == "constructor_declaration" ? "constructor" : kind == "destructor_declaration" ? "destructor" : "method";
  if (m.methodKind == "destructor") m.name = "~" + m.name;
  const TSNode returns = tree_.Field(n, "returns");
  if (!ts_node_is_null(returns)) m.type = tree_.Text(returns);
  if (m.type == "void") m.type.clear();
  m.parameters = Parameters(tree_.Field(n, "parameters"));
}

std::vector<Parameter> Reader::Parameters(TSNode list) {
  std::vector<Parameter> out;
  if (ts_node_is_null(list)) return out;
  auto fill = [&](Parameter& p, const Child& part, bool& afterEquals) {
    const std::string_view k = tree_.Kind(part.node);
    if (part.field == "type") p.type = tree_.Text(part.node);
    else if (part.field == "name") p.name = tree_.Text(part.node);
    else if (k == "modifier" || k == "params" || k == "ref" || k == "out" || k == "in" || k == "this") {
      const std::string word = tree_.Text(part.node);
      if (p.kind.empty() || word != "readonly") p.kind = p.kind.empty() ? word : p.kind + " " + word;
    } else if (k == "=") afterEquals = true;
    else if (afterEquals && tree_.Named(part.node)) p.defaultValue = tree_.Text(part.node);
  };
  Parameter loose;  // "params int[] values" stands in the list itself, not in a parameter node
  bool looseEquals = false;
  for (const Child& child : tree_.Children(list)) {
    if (tree_.Kind(child.node) == "parameter") {
      Parameter p;
      bool afterEquals = false;
      for (const Child& part : tree_.Children(child.node)) fill(p, part, afterEquals);
      out.push_back(std::move(p));
    } else if (tree_.Kind(child.node) == "params" || !loose.kind.empty()) {
      fill(loose, child, looseEquals);
      if (!loose.name.empty()) {
        out.push_back(std::move(loose));
        loose = Parameter();
      }
    }
  }
  return out;
}

// The first zone inside the member whose scope is one of this type's ("Book::Lend").
void Reader::TakeZoneId(VexloCode::Member& m, const TypeDecl& type, TSNode n) {
  const int first = tree_.Line(n), last = tree_.EndLine(n);
  const std::string prefix = type.name + "::";
  for (auto z = MarkerAt(markers_, first + 1); z != markers_.end() && z->line < last; ++z) {
    if (z->begin && z->scope.starts_with(prefix)) {
      m.uniqueId = z->id;
      m.zoneTag = BodyTag(z->tag);
      return;
    }
  }
}

}  // namespace VexloCode::CSharp
