// A build without the C# grammar: nothing is read, and each file says why and what to install.
#include "Declarations.h"

namespace VexloCode {

bool CSharpReaderAvailable() { return false; }

std::string CSharpReaderMissing() {
  return "this vexlo was built without the C# grammar: run scripts/setup.sh (it installs "
         "libtree-sitter-dev and fetches the tree-sitter C# grammar into .deps/) and build again";
}

CodeFile ReadCSharp(std::string path, std::string_view) {
  CodeFile file;
  file.path = std::move(path);
  file.language = Language::CSharp;
  file.notReadBack.push_back({1, CSharpReaderMissing()});
  return file;
}

std::pair<CodeFile, CodeFile> ReadCSharpTwice(const std::string& path, std::string_view before, std::string_view after) {
  return {ReadCSharp(path, before), ReadCSharp(path, after)};
}

CSharpParse::CSharpParse(std::string path, std::string_view text)
    : path_(std::move(path)), masked_(text), file_(ReadCSharp(path_, text)) {}
CSharpParse::~CSharpParse() = default;
CodeFile CSharpParse::ReadAgain(std::string_view other) const { return ReadCSharp(path_, other); }

}  // namespace VexloCode
