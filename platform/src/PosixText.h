// Helpers shared by the POSIX sources: wide text <-> UTF-8 (file names, the
// registry file) and the case-insensitive path resolution of the file functions.
#pragma once

#include "vxplat/Types.h"

#include <string>

namespace vxp {

std::string ToUtf8(const wchar_t* text, size_t length);
inline std::string ToUtf8(const std::wstring& text) { return ToUtf8(text.data(), text.size()); }
// Malformed sequences become U+FFFD.
std::wstring FromUtf8(const char* text, size_t length);
inline std::wstring FromUtf8(const std::string& text) { return FromUtf8(text.data(), text.size()); }

// Maps a Windows-style path to an existing POSIX path: "\" becomes "/", and each
// component is matched against the directory entries (exact name first, else the
// first entry equal ignoring case). Components that do not exist keep the case
// given. missingParents, when not null, receives true when some component before
// the last one does not exist.
std::string ResolvePath(const wchar_t* path, bool* missingParents = nullptr);

// Simple case mapping of the letters of the Latin, Greek and Cyrillic blocks
// (what Windows' case tables do for them); other characters are unchanged.
wchar_t ToUpperChar(wchar_t c);
wchar_t ToLowerChar(wchar_t c);

// Case-insensitive comparison as Windows does for names (simple case folding).
int CompareNoCase(const std::wstring& a, const std::wstring& b);
bool EqualNoCase(const std::wstring& a, const std::wstring& b);

}  // namespace vxp
