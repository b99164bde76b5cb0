// The Delphi reader's walk over the tokens: a cursor that never runs past the end,
// and the readers of one declaration each. Shared by the type readers and the unit reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Declarations.h"
#include "DelphiLexer.h"
#include "ZoneMarkers.h"

namespace VexloCode::Delphi {

class Cursor {
 public:
  Cursor(const std::vector<Token>& tokens, std::string_view text) : tokens_(tokens), text_(text) {}

  const Token& Peek(size_t ahead = 0) const {
    const size_t i = pos_ + ahead;
    return i < tokens_.size() ? tokens_[i] : tokens_.back();
  }
  const Token& Take() {
    const Token& t = Peek();
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return t;
  }
  bool AtEnd() const { return Peek().kind == Token::Kind::End; }
  bool Is(std::string_view lowerText, size_t ahead = 0) const { return Peek(ahead).lower == lowerText; }
  bool IsWord(size_t ahead = 0) const { return Peek(ahead).kind == Token::Kind::Word; }
  bool Accept(std::string_view lowerText) {
    if (!Is(lowerText)) return false;
    Take();
    return true;
  }
  size_t Position() const { return pos_; }
  void Seek(size_t pos) { pos_ = pos < tokens_.size() ? pos : tokens_.size() - 1; }
  const Token& At(size_t pos) const { return pos < tokens_.size() ? tokens_[pos] : tokens_.back(); }
  // The text of the tokens [first, last], blanks and line breaks between them made one blank.
  std::string TextOf(size_t first, size_t last) const;
  int LineBefore() const { return pos_ > 0 ? tokens_[pos_ - 1].line : Peek().line; }

 private:
  const std::vector<Token>& tokens_;
  std::string_view text_;
  size_t pos_ = 0;
};

// What the readers of declarations share: the cursor, the file being filled, the markers.
struct Context {
  Cursor& cur;
  CodeFile& file;
  const Lexed& lexed;
  const std::vector<ZoneMarker>& markers;

  void Skip(int line, std::string why) { file.notReadBack.push_back({line, std::move(why)}); }
  // Skips the declaration at the cursor, said with all its lines.
  void SkipThrough(int line, std::string why);
  // Why a declaration over these lines is not read back ("" when it is): a zone marker
  // inside it, or conditional compilation around it.
  std::string Unreadable(int first, int last) const;
};

// Moves past one declaration: to the ';' that ends it outside brackets and nested
// class / record / interface / object bodies (the ';' is taken).
void SkipDeclaration(Cursor& cur);
// "(" or "[" ... the matching bracket: the parameters of a method or a property.
std::vector<Parameter> ReadParameters(Cursor& cur, std::string_view close);
// Reads "Name = ..." of a type section; the types it can read go to the file.
void ReadTypeDeclaration(Context& ctx);

bool IsDirective(std::string_view lowerWord);
bool IsSectionWord(std::string_view lowerWord);

}  // namespace VexloCode::Delphi
