// C# through the tree-sitter C# grammar: namespaces, using directives and the type
// declarations of a file; the members are read by CSharpMembers.cpp.
#include "CSharpRead.h"

#include <algorithm>

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

struct LineSpan {
  size_t begin, end;  // end at the line break
};

std::vector<LineSpan> Lines(std::string_view text) {
  std::vector<LineSpan> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back({start, end});
    start = end + 1;
  }
  return lines;
}

std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

std::vector<char> MaskDocContinuations(std::string& masked) {
  const std::vector<LineSpan> lines = Lines(masked);
  std::vector<char> continuation(lines.size() + 2, 0);  // by 1-based line
  auto docLine = [&](size_t i) { return Trimmed(std::string_view(masked).substr(lines[i].begin, lines[i].end - lines[i].begin)); };
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = docLine(i);
    if (line.empty() || (line.front() != '[' && line.front() != '/')) continue;  // most lines: code
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.starts_with("['{") && line.ends_with("}']")) {  // an interface's GUID line
      masked.replace(lines[i].end - lines[i].begin - docLine(i).size() + lines[i].begin, 2, "//");
      continuation[i + 1] = kGuidLine;
      continue;
    }
    // A summary closed on its own line ("/// <summary>Text.</summary>") has no continuation.
    if (!docLine(i).starts_with("/// <summary>") || docLine(i).find("</summary>") != std::string_view::npos) continue;
    size_t close = i + 1;
    while (close < lines.size() && close < i + 200 && !docLine(close).starts_with("/// </summary>")) ++close;
    if (close >= lines.size() || close >= i + 200) continue;
    for (size_t k = i + 1; k < close; ++k) {
      if (docLine(k).starts_with("///")) continue;
      const size_t length = lines[k].end - lines[k].begin;
      const size_t blanks = length - docLine(k).size();
      const size_t at = lines[k].begin + (blanks >= 2 ? blanks - 2 : 0);
      if (length >= 2) masked.replace(at, 2, "//");
      else if (length == 1) masked[lines[k].begin] = ' ';
      continuation[k + 1] = kDocLine;
    }
    i = close;
  }
  return continuation;
}

bool Reader::DocComment(TSNode n) const {
  const int line = tree_.Line(n);
  return tree_.Raw(n).starts_with("///") || (line < static_cast<int>(continuation_.size()) && continuation_[line] == kDocLine);
}

std::vector<std::string> Reader::DocLines(DocRange doc) const {
  std::vector<std::string> lines;
  for (int line = doc.first; doc.first > 0 && line <= doc.last && line < static_cast<int>(lineStarts_.size()); ++line) {
    const size_t start = lineStarts_[line];
    const size_t end = line + 1 < static_cast<int>(lineStarts_.size()) ? lineStarts_[line + 1] - 1 : text_.size();
    lines.emplace_back(text_.substr(start, end - start));
  }
  return lines;
}

void Reader::Declarations(TSNode parent, std::vector<std::string> namespaces, int depth) {
  DocRange doc;
  for (const Child& child : tree_.Children(parent)) {
    const TSNode n = child.node;
    const std::string_view kind = tree_.Kind(n);
    if (child.field == "name" || !tree_.Named(n)) continue;
    if (kind == "comment") {
      doc = DocComment(n) ? DocRange{doc.first ? doc.first : tree_.Line(n), tree_.Line(n)} : DocRange{};
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
      Type(n, DocLines(doc), namespaces);
    } else {
      Unreadable(n);
    }
    doc = {};
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

void Reader::Skip(TSNode n, std::string why) {
  file_.notReadBack.push_back({tree_.Line(n), std::move(why), tree_.EndLine(n)});
}

std::string DocText(const std::vector<std::string>& lines) {
  std::string out;
  for (std::string_view line : lines) {
    line = Trimmed(line);
    if (line.starts_with("///")) {  // lines after the first of a text are written without it
      line.remove_prefix(3);
      if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!out.empty())
      out += '\n';
    out += line;
  }
  // The generators write the documentation as the summary: the summary's text is the
  // element's (tags after it, such as <param> or <returns>, are not).
  const size_t open = out.find("<summary>"), close = out.find("</summary>");
  if (open == std::string::npos || close == std::string::npos || close < open) return out;
  std::string summary = out.substr(open + 9, close - open - 9);
  if (summary.starts_with('\n')) summary.erase(0, 1);
  if (summary.ends_with('\n')) summary.pop_back();
  return summary;
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

namespace {

// The text as the parser reads it: a copy of the same length, so that every offset and
// line stays that of the original text, from which all text is taken. The file is in an
// ANSI code page, the grammar reads UTF-8: each byte past ASCII is given to it as a
// letter, so that names stay names. A documentation text of several lines is written with
// "///" on its first line only: the lines after it are given to the parser as comments.
struct Masked {
  std::string text;
  std::vector<char> continuation;
  explicit Masked(std::string_view original) : text(original) {
    for (char& c : text)
      if (static_cast<unsigned char>(c) >= 0x80) c = 'x';
    if (original.starts_with("\xEF\xBB\xBF")) text.replace(0, 3, "   ");  // a UTF-8 byte order mark is no name
    continuation = CSharp::MaskDocContinuations(text);
  }
};

TSPoint PointAt(std::string_view text, size_t offset) {
  const size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
  const size_t row = static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
  const size_t column = lineStart == std::string_view::npos || offset == 0 ? offset : offset - lineStart - 1;
  return {static_cast<uint32_t>(row), static_cast<uint32_t>(column)};
}

// The edit that turns `before` into `after`: the span between their common ends.
TSInputEdit EditBetween(std::string_view before, std::string_view after) {
  size_t prefix = 0;
  const size_t shorter = std::min(before.size(), after.size());
  while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
  size_t suffix = 0;
  while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
  TSInputEdit edit;
  edit.start_byte = static_cast<uint32_t>(prefix);
  edit.old_end_byte = static_cast<uint32_t>(before.size() - suffix);
  edit.new_end_byte = static_cast<uint32_t>(after.size() - suffix);
  edit.start_point = PointAt(before, prefix);
  edit.old_end_point = PointAt(before, edit.old_end_byte);
  edit.new_end_point = PointAt(after, edit.new_end_byte);
  return edit;
}

// Reads one text; with `old` (the tree of another version, already edited to this
// text), tree-sitter parses again only where the texts differ. Gives the tree (the
// caller deletes it) or null.
TSTree* ReadInto(CodeFile& file, std::string path, std::string_view text, const Masked& masked, TSParser* parser,
                 TSTree* old) {
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
    return nullptr;
  }
  TSTree* tree = ts_parser_parse_string(parser, old, masked.text.data(), static_cast<uint32_t>(masked.text.size()));
  if (tree) {
    CSharp::Reader(text, file, markers, masked.continuation).Declarations(ts_tree_root_node(tree), {}, 0);
    DescribeNotReadBack(file.notReadBack, text, markers, "C#");
  } else
    file.notReadBack.push_back({1, "the C# grammar could not read the file"});
  file.initialisations = ReadInitialisations(text, Language::CSharp, markers);
  return tree;
}

TSParser* NewParser(CodeFile& file) {
  TSParser* parser = ts_parser_new();
  if (ts_parser_set_language(parser, tree_sitter_c_sharp())) return parser;
  ts_parser_delete(parser);
  file.notReadBack.push_back({1, "the C# grammar does not fit the tree-sitter runtime (language version " +
                                     std::to_string(ts_language_version(tree_sitter_c_sharp())) + ")"});
  return nullptr;
}

}  // namespace

CodeFile ReadCSharp(std::string path, std::string_view text) {
  CodeFile file;
  TSParser* parser = NewParser(file);
  if (!parser) return file;
  if (TSTree* tree = ReadInto(file, std::move(path), text, Masked(text), parser, nullptr)) ts_tree_delete(tree);
  ts_parser_delete(parser);
  return file;
}

std::pair<CodeFile, CodeFile> ReadCSharpTwice(const std::string& path, std::string_view before, std::string_view after) {
  std::pair<CodeFile, CodeFile> out;
  TSParser* parser = NewParser(out.first);
  if (!parser) {
    out.second = out.first;
    return out;
  }
  const Masked maskedBefore(before), maskedAfter(after);
  TSTree* tree = ReadInto(out.first, path, before, maskedBefore, parser, nullptr);
  if (tree) {
    const TSInputEdit edit = EditBetween(maskedBefore.text, maskedAfter.text);
    ts_tree_edit(tree, &edit);
  }
  TSTree* second = ReadInto(out.second, path, after, maskedAfter, parser, tree);
  if (tree) ts_tree_delete(tree);
  if (second) ts_tree_delete(second);
  ts_parser_delete(parser);
  return out;
}

CSharpParse::CSharpParse(std::string path, std::string_view text) : path_(std::move(path)) {
  if (TSParser* parser = NewParser(file_)) {
    Masked masked(text);
    tree_ = ReadInto(file_, path_, text, masked, parser, nullptr);
    masked_ = std::move(masked.text);
    ts_parser_delete(parser);
  }
}

CSharpParse::~CSharpParse() {
  if (tree_) ts_tree_delete(static_cast<TSTree*>(tree_));
}

CodeFile CSharpParse::ReadAgain(std::string_view other) const {
  CodeFile file;
  TSParser* parser = NewParser(file);
  if (!parser) return file;
  const Masked maskedOther(other);
  TSTree* old = nullptr;
  if (tree_) {
    old = ts_tree_copy(static_cast<const TSTree*>(tree_));
    const TSInputEdit edit = EditBetween(masked_, maskedOther.text);
    ts_tree_edit(old, &edit);
  }
  TSTree* tree = ReadInto(file, path_, other, maskedOther, parser, old);
  if (old) ts_tree_delete(old);
  if (tree) ts_tree_delete(tree);
  ts_parser_delete(parser);
  return file;
}

}  // namespace VexloCode
