#include "DelphiLexer.h"

#include <cctype>

namespace VexloCode::Delphi {
namespace {

// Bytes past ASCII belong to words: names of the model written in the file's code page.
bool IsWordStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalpha(u) || c == '_' || c == '&' || u >= 0x80;
}
bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || u >= 0x80;
}

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {}

  Lexed Run() {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;  // a UTF-8 byte order mark is no text
    // Generated code has a token every three to four bytes: no growth copies on large units.
    out_.tokens.reserve(text_.size() / 3 + 1);
    while (pos_ < text_.size()) Step();
    Token end;
    end.line = line_;
    end.begin = end.end = text_.size();
    out_.tokens.push_back(end);
    CloseConditionals();
    return std::move(out_);
  }

 private:
  char At(size_t i) const { return i < text_.size() ? text_[i] : '\0'; }

  void Advance(size_t count) {
    for (size_t i = 0; i < count && pos_ < text_.size(); ++i, ++pos_)
      if (text_[pos_] == '\n') ++line_;
  }

  void Unterminated(const char* what, int line) {
    if (out_.unterminated.empty()) {
      out_.unterminated = what;
      out_.unterminatedLine = line;
    }
  }

  // A comment from pos_ to the closing text; false when it runs to the end.
  std::string_view Comment(size_t openLength, std::string_view close, int& startLine) {
    startLine = line_;
    const size_t bodyStart = pos_ + openLength;
    size_t closeAt = text_.find(close, bodyStart);
    if (closeAt == std::string_view::npos) {
      Unterminated("comment", line_);
      closeAt = text_.size();
      Advance(text_.size() - pos_);
      return text_.substr(bodyStart);
    }
    Advance(closeAt + close.size() - pos_);
    return text_.substr(bodyStart, closeAt - bodyStart);
  }

  void AddDirective(std::string_view body, int line) {
    Directive d;
    d.line = line;
    d.text = std::string(body);
    size_t i = 1;  // after '$'
    while (i < body.size() && IsWordChar(body[i])) d.name += static_cast<char>(std::toupper(static_cast<unsigned char>(body[i++])));
    out_.directives.push_back(d);
    if (d.name == "IF" || d.name == "IFDEF" || d.name == "IFNDEF" || d.name == "IFOPT") {
      open_.push_back({line, line, "{" + d.text + "}"});
    } else if ((d.name == "ENDIF" || d.name == "IFEND") && !open_.empty()) {
      Conditional c = open_.back();
      open_.pop_back();
      c.last = line;
      if (open_.empty()) out_.conditionals.push_back(c);  // the outermost stretch covers the rest
    }
  }

  void CloseConditionals() {
    if (open_.empty()) return;
    Conditional c = open_.front();
    c.last = line_;
    out_.conditionals.push_back(c);
  }

  void Step() {
    const char c = text_[pos_];
    if (c == '\n' || c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\0') {
      Advance(1);
      return;
    }
    int startLine = 0;
    if (c == '{') {
      std::string_view body = Comment(1, "}", startLine);
      if (!body.empty() && body[0] == '$') {
        AddDirective(body, startLine);
        pendingDoc_ = false;
      } else {
        pendingDoc_ = true;
        doc_ = std::string(body);
      }
      return;
    }
    if (c == '(' && At(pos_ + 1) == '*') {
      std::string_view body = Comment(2, "*)", startLine);
      if (!body.empty() && body[0] == '$') AddDirective(body, startLine);
      pendingDoc_ = false;
      return;
    }
    if (c == '/' && At(pos_ + 1) == '/') {
      size_t eol = text_.find('\n', pos_);
      Advance((eol == std::string_view::npos ? text_.size() : eol) - pos_);
      pendingDoc_ = false;
      return;
    }
    // Built in place: a large unit has a hundred thousand tokens.
    Token& t = out_.tokens.emplace_back();
    t.line = line_;
    t.begin = pos_;
    if (IsWordStart(c)) {
      size_t i = pos_ + 1;
      while (i < text_.size() && IsWordChar(text_[i])) ++i;
      t.kind = Token::Kind::Word;
      Advance(i - pos_);
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '$' || (c == '%' && std::isdigit(static_cast<unsigned char>(At(pos_ + 1))))) {
      size_t i = pos_ + 1;
      while (i < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[i])) || text_[i] == '_' ||
                                  (text_[i] == '.' && std::isdigit(static_cast<unsigned char>(At(i + 1))))))
        ++i;
      t.kind = Token::Kind::Number;
      Advance(i - pos_);
    } else if (c == '\'' || c == '#') {
      t.kind = Token::Kind::String;
      StringLiteral();
    } else {
      t.kind = Token::Kind::Symbol;
      const std::string_view two = text_.substr(pos_, 2);
      Advance(two == ":=" || two == ".." || two == "<=" || two == ">=" || two == "<>" ? 2 : 1);
    }
    t.end = pos_;
    t.text.assign(text_.data() + t.begin, t.end - t.begin);
    t.lower = t.text;
    if (t.kind == Token::Kind::Word)
      for (char& ch : t.lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    t.hasDoc = pendingDoc_;
    if (pendingDoc_) t.doc = std::move(doc_);
    pendingDoc_ = false;
    doc_.clear();
  }

  // 'text', 'it''s', #13#10 and their concatenations, up to the line end at most.
  void StringLiteral() {
    const int startLine = line_;
    while (pos_ < text_.size()) {
      if (text_[pos_] == '#') {
        size_t i = pos_ + 1;
        if (At(i) == '$') ++i;
        while (i < text_.size() && std::isalnum(static_cast<unsigned char>(text_[i]))) ++i;
        Advance(i - pos_);
      } else if (text_[pos_] == '\'') {
        size_t i = pos_ + 1;
        while (true) {
          if (i >= text_.size() || text_[i] == '\n') {
            Unterminated("string", startLine);
            break;
          }
          if (text_[i] == '\'') {
            if (At(i + 1) == '\'') { i += 2; continue; }
            ++i;
            break;
          }
          ++i;
        }
        Advance(i - pos_);
      } else {
        break;
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  bool pendingDoc_ = false;
  std::string doc_;
  std::vector<Conditional> open_;
  Lexed out_;
};

}  // namespace

Lexed Lex(std::string_view text) { return Lexer(text).Run(); }

}  // namespace VexloCode::Delphi
