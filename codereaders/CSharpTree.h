// Small helpers over the tree-sitter syntax tree of a C# file: a node's kind, text,
// lines and children with the grammar's field names.
#pragma once

#include <tree_sitter/api.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace VexloCode::CSharp {

struct Child {
  TSNode node;
  std::string_view field;  // the grammar's field name, "" when none
};

class Tree {
 public:
  explicit Tree(std::string_view text) : text_(text) {}
  ~Tree() {
    if (cursor_) ts_tree_cursor_delete(&*cursor_);
  }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  std::string_view Kind(TSNode n) const { return ts_node_type(n); }
  bool Named(TSNode n) const { return ts_node_is_named(n); }
  int Line(TSNode n) const { return static_cast<int>(ts_node_start_point(n).row) + 1; }
  int EndLine(TSNode n) const { return static_cast<int>(ts_node_end_point(n).row) + 1; }
  std::string_view Raw(TSNode n) const {
    const uint32_t a = ts_node_start_byte(n), b = ts_node_end_byte(n);
    return a <= b && b <= text_.size() ? text_.substr(a, b - a) : std::string_view();
  }
  // The node's text with each run of blanks and line breaks made one blank.
  std::string Text(TSNode n) const {
    std::string out;
    bool blank = false;
    for (char c : Raw(n)) {
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
  TSNode Field(TSNode n, const char* name) const { return ts_node_child_by_field_id(n, FieldId(n, name)); }
  std::vector<Child> Children(TSNode n) const {
    std::vector<Child> out;
    out.reserve(ts_node_child_count(n));
    // One cursor for the whole walk: making one costs more than most nodes' children.
    if (!cursor_) cursor_.emplace(ts_tree_cursor_new(n));
    else ts_tree_cursor_reset(&*cursor_, n);
    if (ts_tree_cursor_goto_first_child(&*cursor_)) {
      do {
        const char* field = ts_tree_cursor_current_field_name(&*cursor_);
        out.push_back({ts_tree_cursor_current_node(&*cursor_), field ? field : ""});
      } while (ts_tree_cursor_goto_next_sibling(&*cursor_));
    }
    return out;
  }

 private:
  // The grammar finds a field's id by comparing its name with every field's: the few
  // names the reader asks for are looked up once.
  TSFieldId FieldId(TSNode n, const char* name) const {
    for (const auto& [known, id] : fields_)
      if (known == name) return id;
    const TSFieldId id = ts_language_field_id_for_name(ts_tree_language(n.tree), name,
                                                       static_cast<uint32_t>(std::char_traits<char>::length(name)));
    fields_.emplace_back(name, id);
    return id;
  }

  std::string_view text_;
  mutable std::vector<std::pair<std::string_view, TSFieldId>> fields_;
  mutable std::optional<TSTreeCursor> cursor_;
};

}  // namespace VexloCode::CSharp
