// Small helpers over the tree-sitter syntax tree of a C# file: a node's kind, text,
// lines and children with the grammar's field names.
#pragma once

#include <tree_sitter/api.h>

#include <string>
#include <string_view>
#include <vector>

namespace VexloCode::CSharp {

struct Child {
  TSNode node;
  std::string field;  // the grammar's field name, "" when none
};

class Tree {
 public:
  explicit Tree(std::string_view text) : text_(text) {}

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
  TSNode Field(TSNode n, const char* name) const {
    return ts_node_child_by_field_name(n, name, static_cast<uint32_t>(std::char_traits<char>::length(name)));
  }
  std::vector<Child> Children(TSNode n) const {
    std::vector<Child> out;
    TSTreeCursor cursor = ts_tree_cursor_new(n);
    if (ts_tree_cursor_goto_first_child(&cursor)) {
      do {
        const char* field = ts_tree_cursor_current_field_name(&cursor);
        out.push_back({ts_tree_cursor_current_node(&cursor), field ? field : ""});
      } while (ts_tree_cursor_goto_next_sibling(&cursor));
    }
    ts_tree_cursor_delete(&cursor);
    return out;
  }

 private:
  std::string_view text_;
};

}  // namespace VexloCode::CSharp
