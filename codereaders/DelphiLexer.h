// Tokens of Object Pascal source: words, numbers, strings, symbols, each with its line
// and its place in the text. Comments are not tokens: a brace comment right before a
// token is kept as that token's documentation (the generator writes "{doc}" on the
// line before a declaration); compiler directives are listed on their own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace VexloCode::Delphi {

struct Token {
  enum class Kind { Word, Number, String, Symbol, End };
  Kind kind = Kind::End;
  std::string text;   // as written
  std::string lower;  // words in lower case; other tokens as written
  int line = 0;
  size_t begin = 0, end = 0;  // offsets in the text
  bool hasDoc = false;
  std::string doc;    // the brace comment before the token, braces removed
};

struct Directive {
  int line = 0;
  std::string name;  // upper case: "IFDEF", "ENDIF", "I", "R", ...
  std::string text;  // the whole directive as written
};

// A stretch of lines under conditional compilation: from its {$IF...} to its {$ENDIF}.
struct Conditional {
  int first = 0, last = 0;
  std::string opening;
};

struct Lexed {
  std::vector<Token> tokens;  // always ends with an End token
  std::vector<Directive> directives;
  std::vector<Conditional> conditionals;
  std::string unterminated;   // what ran to the end of the text unclosed, "" when nothing
  int unterminatedLine = 0;
};

Lexed Lex(std::string_view text);

}  // namespace VexloCode::Delphi
