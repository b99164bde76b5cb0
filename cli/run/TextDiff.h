// A unified diff of two texts ("--- a/PATH", "+++ b/PATH", "@@ -l,n +l,n @@" hunks with
// three lines of context), as reviewers and `patch -p1` read it. Lines are compared with
// their line ends, so a change of line end alone shows; a CR before the LF is written as
// it is (patch needs it) and not as "^M".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace VexloCli {

// "" when the texts are equal. oldText absent (a new file): "--- /dev/null".
std::string UnifiedDiff(const std::string* oldText, const std::string& newText, const std::string& path);

// For each line of the old text that the change from old to new replaces by a line of the
// same form (the same text with other words: "string Title" by "string Heading", as a
// model change does to generated lines): that line of the new text; else empty.
std::vector<std::string_view> RewordedLines(const std::string& oldText, const std::string& newText);

} // namespace VexloCli
