// Paths and names of a run's files as the platform finds them: "\\" or "/" separated,
// letter case ignored, UTF-8 for the standard library, the ANSI code page for text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace VexloCli {

std::wstring Slashed(std::wstring path);
std::wstring ParentFolder(const std::wstring& path); // "" when there is none
std::wstring Lower(std::wstring text);

// Paths travel as UTF-8, the file names' encoding here: the standard library's own
// wide-to-narrow conversion knows only ASCII on Linux, whatever the locale.
std::filesystem::path PathOf(const std::wstring& text);
std::wstring WideOf(const std::filesystem::path& path);

bool IsSymbolicLink(const std::wstring& path);

// A symbolic link whose target does not exist.
bool IsDanglingLink(const std::wstring& path);

// Text of the ANSI code page <-> wide.
std::wstring Ansi(std::string_view text);
std::string AnsiBytes(const std::wstring& text);

} // namespace VexloCli
