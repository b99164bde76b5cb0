// The lines of a user's file that the regenerated text holds in the generator's form:
// `vexlo reverse` read their declarations back, and the model now writes them (two
// fields of one line `FA, FB: Integer;` on two lines, a header broken over lines on one,
// a C# base named without its namespaces with them). The zone guard of the regeneration
// leaves these lines unsaved; every other line of the user's is saved, as always.
#pragma once

#include "Declarations.h"

#include <set>
#include <string>
#include <vector>

namespace VexloReverse {

// The lines of `userText` (read as `user`) that hold nothing but declarations `newText`
// holds too, alike as the readers read them: a member's head (a C# body or accessors are
// the user's text), a type's first line, a Delphi implementation's header. A line with a
// comment, with text the reader left unread, or with a declaration the new text lacks or
// holds otherwise is never among them; nor is a line of a declaration the run said it does
// not read back (`notReadBack`: "FILE:LINE: why", the file named `shown`), nor one of an
// enumeration with such a value.
std::set<int> HeldLines(const VexloCode::CodeFile& user, const std::string& userText, const std::string& newText,
                        const std::vector<std::string>& notReadBack, const std::string& shown);

} // namespace VexloReverse
