// The members of a class, record, interface or object body: visibility sections, fields
// and class vars, constants, methods with their directives, properties.
#include "DelphiParse.h"

namespace VexloCode::Delphi {
namespace {

enum class Section { Fields, ClassVars, Constants };

bool IsVisibility(const Cursor& cur) {
  const std::string& w = cur.Peek().lower;
  return w == "private" || w == "protected" || w == "public" || w == "published" || w == "automated" ||
         (w == "strict" && (cur.Is("private", 1) || cur.Is("protected", 1)));
}

bool IsRoutineWord(std::string_view w) {
  return w == "procedure" || w == "function" || w == "constructor" || w == "destructor" || w == "operator";
}

// Text up to (not including) a token that `stop` accepts at bracket depth 0.
template <typename Stop>
std::string TextUntil(Cursor& cur, Stop stop) {
  const size_t first = cur.Position();
  int depth = 0;
  while (!cur.AtEnd() && !(depth == 0 && stop())) {
    if (cur.Is("(") || cur.Is("[") || cur.Is("<")) ++depth;
    if ((cur.Is(")") || cur.Is("]") || cur.Is(">")) && depth > 0) --depth;
    if (depth == 0 && (cur.Is("end") || cur.Is("implementation"))) break;  // a ';' is missing
    cur.Take();
  }
  return cur.Position() > first ? cur.TextOf(first, cur.Position() - 1) : "";
}

void Directives(Cursor& cur, Member& m) {
  // A directive word, unless it is the name of the next member ("Platform: string;").
  while (IsDirective(cur.Peek().lower) && !cur.Is(":", 1) && !cur.Is(",", 1)) {
    std::string directive = cur.Take().lower;
    std::string argument = TextUntil(cur, [&] { return cur.Is(";"); });
    if (!argument.empty()) directive += " " + argument;
    m.modifiers.push_back(std::move(directive));
    cur.Accept(";");
  }
}

class BodyReader {
 public:
  BodyReader(Context& ctx, TypeDecl& type) : ctx_(ctx), cur_(ctx.cur), type_(type) {}

  void Run() {
    if (cur_.Is("[") && cur_.Peek(1).kind == Token::Kind::String) {  // ['{GUID}']
      cur_.Take();
      std::string guid = cur_.Take().text;
      if (guid.size() >= 4 && guid.starts_with("'{") && guid.ends_with("}'")) guid = guid.substr(2, guid.size() - 4);
      type_.guid = guid;
      cur_.Accept("]");
    }
    while (!cur_.AtEnd() && !cur_.Is("end") && !cur_.Is("implementation")) {
      const size_t before = cur_.Position();
      Entry();
      if (cur_.Position() == before) cur_.Take();  // never stand still on text it cannot place
    }
    if (!cur_.Accept("end")) ctx_.Skip(type_.line, "type " + type_.name + ": its end is missing");
    cur_.Accept(";");
  }

 private:
  void Entry() {
    const std::string& w = cur_.Peek().lower;
    if (IsVisibility(cur_)) {
      visibility_ = cur_.Accept("strict") ? "strict " + cur_.Take().lower : cur_.Take().lower;
      section_ = Section::Fields;
    } else if (w == "var") {
      cur_.Take();
      section_ = Section::Fields;
    } else if (w == "const") {
      cur_.Take();
      section_ = Section::Constants;
    } else if (w == "class" && cur_.Is("var", 1)) {
      cur_.Take();
      cur_.Take();
      section_ = Section::ClassVars;
    } else if (w == "type") {
      NestedTypes();
    } else if (w == "case" && type_.kind == "record") {
      ctx_.Skip(cur_.Peek().line, "the variant part of record " + type_.name);
      while (!cur_.AtEnd() && !cur_.Is("end") && !cur_.Is("implementation")) SkipDeclaration(cur_);
    } else if (w == "[") {
      const int line = cur_.Peek().line;
      cur_.Take();  // "[": taken first, so that the text inside ends at its "]"
      ctx_.Skip(line, "an attribute [" + TextUntil(cur_, [&] { return cur_.Is("]"); }) +
                          "]: the Delphi generator writes no attributes, so no model setting gives one; the next "
                          "generation saves your line to the file's .vxlost file");
      cur_.Accept("]");
    } else if (IsRoutineWord(w) || (w == "class" && IsRoutineWord(cur_.Peek(1).lower))) {
      section_ = Section::Fields;
      Method();
    } else if (w == "property" || (w == "class" && cur_.Is("property", 1))) {
      section_ = Section::Fields;
      Property();
    } else if (w == ";") {
      cur_.Take();
    } else if (cur_.IsWord() && section_ == Section::Constants) {
      Constant();
    } else if (cur_.IsWord() && (cur_.Is(":", 1) || cur_.Is(",", 1))) {
      Fields();
    } else {
      ctx_.SkipThrough(cur_.Peek().line, "unknown text in " + type_.name + " ('" + cur_.Peek().text + "')");
    }
  }

  Member Start(Member::Kind kind) {
    Member m;
    m.kind = kind;
    m.visibility = visibility_;
    m.line = cur_.Peek().line;
    if (cur_.Peek().hasDoc) m.documentation = cur_.Peek().doc;
    return m;
  }

  void Add(Member m) {
    m.endLine = cur_.LineBefore();
    if (std::string why = ctx_.Unreadable(m.line, m.endLine); !why.empty()) {
      ctx_.Skip(m.line, type_.name + "." + m.name + ": " + why);
      return;
    }
    type_.members.push_back(std::move(m));
  }

  void Fields() {
    Member shape = Start(Member::Kind::Field);
    if (section_ == Section::ClassVars) shape.modifiers.push_back("class");
    std::vector<std::string> names;
    while (cur_.IsWord()) {
      names.push_back(cur_.Take().text);
      if (!cur_.Accept(",")) break;
    }
    if (cur_.Accept(":")) {
      if (cur_.Is("record") || cur_.Is("packed") || cur_.Is("class") || cur_.Is("object")) {
        ctx_.SkipThrough(shape.line, type_.name + "." + names.front() + ": an inline record or class type");
        return;
      }
      shape.type = TextUntil(cur_, [&] { return cur_.Is(";") || cur_.Is("="); });
    }
    if (cur_.Accept("=")) shape.initialValue = TextUntil(cur_, [&] { return cur_.Is(";"); });
    while (IsDirective(cur_.Peek().lower) && !cur_.Is(":", 1)) shape.modifiers.push_back(cur_.Take().lower);
    cur_.Accept(";");
    for (std::string& name : names) {
      Member m = shape;
      m.name = std::move(name);
      Add(std::move(m));
    }
  }

  void Constant() {
    Member m = Start(Member::Kind::Constant);
    m.name = cur_.Take().text;
    m.modifiers.push_back("const");
    if (cur_.Accept(":")) m.type = TextUntil(cur_, [&] { return cur_.Is(";") || cur_.Is("="); });
    if (cur_.Accept("=")) m.initialValue = TextUntil(cur_, [&] { return cur_.Is(";"); });
    cur_.Accept(";");
    Add(std::move(m));
  }

  void NestedTypes() {
    cur_.Take();  // "type"
    while (cur_.IsWord() && !cur_.Is("implementation") && (cur_.Is("=", 1) || cur_.Is("<", 1))) {
      ctx_.SkipThrough(cur_.Peek().line, "a nested type (" + type_.name + "." + cur_.Peek().text + ")");
    }
  }

  void Method() {
    Member m = Start(Member::Kind::Method);
    if (cur_.Accept("class")) m.modifiers.push_back("class");
    m.methodKind = cur_.Take().lower;
    m.name = cur_.IsWord() ? cur_.Take().text : "";
    if (m.methodKind == "operator" || cur_.Is(".") || cur_.Is("<")) {
      const char* why = m.methodKind == "operator" ? "an operator" : cur_.Is(".") ? "a method resolution clause" : "a generic method";
      ctx_.SkipThrough(m.line, type_.name + "." + m.name + ": " + why);
      Member ignored;
      Directives(cur_, ignored);
      return;
    }
    if (cur_.Is("(")) m.parameters = ReadParameters(cur_, ")");
    if (cur_.Accept(":")) m.type = TextUntil(cur_, [&] { return cur_.Is(";"); });
    if (!cur_.Accept(";")) {
      ctx_.SkipThrough(m.line, type_.name + "." + m.name + ": unknown text in the method's header ('" + cur_.Peek().text + "')");
      return;
    }
    Directives(cur_, m);
    Add(std::move(m));
  }

  void Property() {
    Member m = Start(Member::Kind::Property);
    if (cur_.Accept("class")) m.modifiers.push_back("class");
    cur_.Take();  // "property"
    m.name = cur_.IsWord() ? cur_.Take().text : "";
    if (cur_.Is("[")) m.parameters = ReadParameters(cur_, "]");
    if (!cur_.Is(":")) {
      ctx_.SkipThrough(m.line, type_.name + "." + m.name + ": a property redeclaration without a type");
      return;
    }
    cur_.Take();
    auto specifier = [&] {
      const std::string& w = cur_.Peek().lower;
      return cur_.Is(";") || w == "read" || w == "write" || w == "index" || w == "stored" || w == "default" ||
             w == "nodefault" || w == "implements" || w == "readonly" || w == "writeonly" || w == "dispid";
    };
    m.type = TextUntil(cur_, specifier);
    while (!cur_.AtEnd() && !cur_.Is(";") && !cur_.Is("end")) {
      const std::string word = cur_.Take().lower;
      std::string value = TextUntil(cur_, specifier);
      if (word == "read") m.readAccessor = value;
      else if (word == "write") m.writeAccessor = value;
      else m.modifiers.push_back(value.empty() ? word : word + " " + value);
    }
    cur_.Accept(";");
    if (cur_.Is("default") && cur_.Is(";", 1)) {  // the default array property
      m.modifiers.push_back("default");
      cur_.Take();
      cur_.Take();
    }
    Add(std::move(m));
  }

  Context& ctx_;
  Cursor& cur_;
  TypeDecl& type_;
  std::string visibility_;
  Section section_ = Section::Fields;
};

}  // namespace

void ReadTypeBody(Context& ctx, TypeDecl& type) { BodyReader(ctx, type).Run(); }

}  // namespace VexloCode::Delphi
