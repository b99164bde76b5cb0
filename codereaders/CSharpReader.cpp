// C# through the tree-sitter C# grammar: namespaces, using directives and the type
// declarations of a file; the members are read by CSharpMembers.cpp.
#include "CSharpRead.h"

extern "C" const TSLanguage* tree_sitter_c_sharp(void);

namespace VexloCode {
namespace CSharp {
namespace {

constexpr int kMaxNesting = 64;  // namespaces within namespaces: deeper is not a generated file

std::vector<std::string> SplitName(const std::string& name) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t dot = name.find('.', start);
    if (dot == std::string::npos) dot = name.size();
    std::string part = name.substr(start, dot - start);
    while (!part.empty() && part.back() == ' ') part.pop_back();
    while (!part.empty() && part.front() == ' ') part.erase(part.begin());
    if (!part.empty()) parts.push_back(part);
    start = dot + 1;
  }
  return parts;
}

std::string UsingName(std::string text) {
  for (const char* prefix : {"global ", "using "})
    if (text.starts_with(prefix)) text = text.substr(std::char_traits<char>::length(prefix));
  if (text.ends_with(";")) text.pop_back();
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

void Reader::Declarations(TSNode parent, std::vector<std::string> namespaces, int depth) {
  std::vector<std::string> doc;
  for (const Child& child : tree_.Children(parent)) {
    const TSNode n = child.node;
    const std::string_view kind = tree_.Kind(n);
    if (child.field == "name" || !tree_.Named(n)) continue;
    if (kind == "comment") {
      const std::string_view raw = tree_.Raw(n);
      if (raw.starts_with("///")) doc.emplace_back(raw);
      else doc.clear();
      continue;
    }
    if (kind == "using_directive") {
      file_.uses.push_back(UsingName(tree_.Text(n)));
    } else if (kind == "namespace_declaration" || kind == "file_scoped_namespace_declaration") {
      std::vector<std::string> inner = namespaces;
      for (std::string& part : SplitName(tree_.Text(tree_.Field(n, "name")))) inner.push_back(std::move(part));
      if (depth >= kMaxNesting) Skip(n, "namespaces nested deeper than " + std::to_string(kMaxNesting));
      else if (kind == "file_scoped_namespace_declaration") {
        namespaces = inner;  // holds the declarations after it
        Declarations(n, inner, depth + 1);
      } else {
        Declarations(tree_.Field(n, "body"), inner, depth + 1);
      }
    } else if (kind == "class_declaration" || kind == "struct_declaration" || kind == "interface_declaration" ||
               kind == "enum_declaration") {
      Type(n, doc, namespaces);
    } else {
      Unreadable(n);
    }
    doc.clear();
  }
}

// What the reader does not take, named with its line; blank constructs are passed over.
void Reader::Unreadable(TSNode n) {
  const std::string_view kind = tree_.Kind(n);
  if (kind == "preproc_if" || kind == "preproc_elif" || kind == "preproc_else")
    Skip(n, "conditional compilation (" + FirstLine(n) + ")");
  else if (kind.starts_with("preproc_") || kind == "extern_alias_directive")
    return;
  else if (kind == "record_declaration" || kind == "record_struct_declaration")
    Skip(n, "a record type the model cannot express");
  else if (kind == "delegate_declaration")
    Skip(n, "a delegate type the model cannot express");
  else if (kind == "event_field_declaration" || kind == "event_declaration")
    Skip(n, "an event the model cannot express");
  else if (kind == "operator_declaration" || kind == "conversion_operator_declaration")
    Skip(n, "an operator the model cannot express");
  else if (kind == "global_statement")
    Skip(n, "a top-level statement");
  else if (kind == "attribute_list" || kind == "global_attribute")
    Skip(n, "an attribute " + tree_.Text(n));
  else if (kind == "ERROR" || ts_node_is_missing(n) || ts_node_has_error(n))
    Skip(n, "text the C# grammar cannot read: " + FirstLine(n));
  else {
    std::string what(kind);
    for (char& c : what) c = c == '_' ? ' ' : c;
    Skip(n, "a " + what + " the model cannot express");
  }
}

void Reader::Type(TSNode n, const std::vector<std::string>& doc, const std::vector<std::string>& namespaces) {
  TypeDecl type;
  type.kind = std::string(tree_.Kind(n).substr(0, tree_.Kind(n).find('_')));
  type.name = tree_.Text(tree_.Field(n, "name"));
  type.line = tree_.Line(n);
  type.endLine = tree_.EndLine(n);
  type.namespaces = namespaces;
  type.documentation = DocText(doc);
  const TSNode body = tree_.Field(n, "body");
  const int bodyLine = ts_node_is_null(body) ? type.endLine + 1 : tree_.Line(body);
  for (const Child& child : tree_.Children(n)) {
    const std::string_view kind = tree_.Kind(child.node);
    if (kind == "type_parameter_list") return Skip(n, "a generic type (" + type.name + ")");
    if (kind == "modifier") AddModifier(tree_.Text(child.node), type.visibility, type.modifiers);
    if (kind == "attribute_list") Skip(child.node, "an attribute " + tree_.Text(child.node));
    if (kind == "base_list")
      for (const Child& base : tree_.Children(child.node))
        if (tree_.Named(base.node) && tree_.Kind(base.node) != "comment") type.bases.push_back(tree_.Text(base.node));
    if (kind == "ERROR") return Skip(n, "type " + type.name + ": text the C# grammar cannot read in its header");
  }
  if (int line = MarkerLineWithin(markers_, type.line, bodyLine))
    return Skip(n, "type " + type.name + ": a zone marker (line " + std::to_string(line) + ") splits its header");
  if (!ts_node_is_null(body)) Members(body, type);
  type.uniqueId = OwnZoneId(markers_, type.name);
  file_.types.push_back(std::move(type));
}

std::string Reader::FirstLine(TSNode n) const {
  std::string_view raw = tree_.Raw(n);
  raw = raw.substr(0, raw.find('\n'));
  while (!raw.empty() && (raw.back() == '\r' || raw.back() == ' ')) raw.remove_suffix(1);
  return std::string(raw.substr(0, 60));
}

void Reader::Skip(TSNode n, std::string why) { file_.notReadBack.push_back({tree_.Line(n), std::move(why)}); }

std::string DocText(const std::vector<std::string>& lines) {
  std::string out;
  for (std::string_view line : lines) {
    line.remove_prefix(3);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line == "<summary>" || line == "</summary>") continue;
    out += (out.empty() ? "" : "\n") + std::string(line);
  }
  return out;
}

void AddModifier(const std::string& word, std::string& visibility, std::vector<std::string>& modifiers) {
  if (word == "public" || word == "private" || word == "protected" || word == "internal")
    visibility += (visibility.empty() ? "" : " ") + word;
  else
    modifiers.push_back(word);
}

}  // namespace CSharp

bool CSharpReaderAvailable() { return true; }

std::string CSharpReaderMissing() { return ""; }

CodeFile ReadCSharp(std::string path, std::string_view text) {
  CodeFile file;
  file.path = std::move(path);
  file.language = Language::CSharp;
  const std::vector<ZoneMarker> markers = FindZoneMarkers(text);
  for (const ZoneMarker& m : markers)
    if (m.begin && m.tag == "suses" && m.scope.find("::") == std::string::npos) {
      file.unitName = m.scope;
      file.uniqueId = m.id;
      break;
    }
  if (text.size() > UINT32_MAX / 2) {
    file.notReadBack.push_back({1, "the file is too large to read"});
    return file;
  }
  TSParser* parser = ts_parser_new();
  if (!ts_parser_set_language(parser, tree_sitter_c_sharp())) {
    ts_parser_delete(parser);
    file.notReadBack.push_back({1, "the C# grammar does not fit the tree-sitter runtime (language version " +
                                       std::to_string(ts_language_version(tree_sitter_c_sharp())) + ")"});
    return file;
  }
  // The file is in an ANSI code page, the grammar reads UTF-8: each byte past ASCII is
  // given to the parser as a letter, so that names in the code page stay names and every
  // offset stays that of the original text, from which all text is taken.
  std::string masked(text);
  for (char& c : masked)
    if (static_cast<unsigned char>(c) >= 0x80) c = 'x';
  TSTree* tree = ts_parser_parse_string(parser, nullptr, masked.data(), static_cast<uint32_t>(masked.size()));
  if (tree) {
    CSharp::Reader(text, file, markers).Declarations(ts_tree_root_node(tree), {}, 0);
    ts_tree_delete(tree);
  } else {
    file.notReadBack.push_back({1, "the C# grammar could not read the file"});
  }
  ts_parser_delete(parser);
  return file;
}

}  // namespace VexloCode
