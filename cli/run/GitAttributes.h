// The line ends git gives a file of a work tree, from the "eol" setting of the
// .gitattributes files that apply to it, read as git reads them for the forms teams use:
// "* text=auto eol=lf", "*.pas eol=crlf", "-text", "binary", "!eol", and the older
// "crlf", "-crlf" and "crlf=input". Files are those of the work tree's folders from the
// top (the folder holding ".git") down to the file's folder, then ".git/info/attributes";
// a later line wins over an earlier one. Patterns follow git: without a "/" they match
// the file's name at any depth, with one they match the path below the .gitattributes
// folder ("*", "?", "[...]", "**"). Macros other than "binary", git's configuration
// (core.eol, core.autocrlf, core.attributesFile) are not read.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace VexloCli {

struct GitEol {
    bool crlf = false;   // else LF
    std::wstring source; // "FILE:LINE" of the deciding line
};

class GitAttributes {
public:
    // The line ends git checks the file out with, when an "eol" setting applies to it and
    // "text" is not unset; none otherwise (also outside a git work tree).
    std::optional<GitEol> EolOf(const std::wstring& path);

private:
    struct Rule {
        std::string pattern; // relative to its file's folder; no leading "/"
        bool anywhere = false; // no "/" in the pattern: matches the name at any depth
        std::vector<std::string> attributes;
        std::wstring source;
    };
    struct Folder {
        std::string relative; // below the work tree's top, "/" separated, "" for the top
        std::vector<Rule> rules;
    };
    const std::vector<Rule>& RulesOf(const std::wstring& file);
    std::map<std::wstring, std::vector<Rule>> m_files; // read once per file
};

// git's wildmatch for attribute patterns: "*" and "?" stop at "/", "**" does not,
// "[...]" ("!" or "^" negates, "a-z" ranges), "\" escapes.
bool GitPatternMatches(const std::string& pattern, const std::string& path);

} // namespace VexloCli
