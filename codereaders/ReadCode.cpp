// The reader for a file, by its extension.
#include "Declarations.h"
#include "ZoneMarkers.h"

namespace VexloCode {

std::optional<CodeFile> ReadCode(std::string path, std::string_view text) {
  const size_t dot = path.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : Lower(std::string_view(path).substr(dot));
  if (extension == ".pas" || extension == ".dpr" || extension == ".dpk") return ReadDelphi(std::move(path), text);
  if (extension == ".cs") return ReadCSharp(std::move(path), text);
  return std::nullopt;
}

}  // namespace VexloCode
