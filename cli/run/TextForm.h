// The form of each generated file as the user's checkout has it: its line ends and its
// encoding. The add-in writes CR LF line ends and 8-bit text of its ANSI code page,
// without a byte-order mark; a checkout may hold LF files (git's autocrlf, "text=auto")
// or UTF-8 files with a byte-order mark (what current Delphi versions save). The host
// hands the add-in every old file in the add-in's form and turns each new text into the
// form of the user's file before it compares, diffs or writes it; the add-in's own
// output stays what it is.
//
// Line ends (--line-ends crlf|lf, else keep): the .gitattributes "eol" setting for the
// file, else those of the old file when they are all alike, else as the add-in wrote
// them (CR LF). Encoding (--encoding ansi|utf-8, else keep): UTF-8 when the old file is
// (with its mark, or without when it has none), else the ANSI code page; a new C# file is
// UTF-8 with the mark when its text is not ASCII. When any file of the run may be UTF-8, the
// add-in runs in UTF-8 (the code page setting of the platform), so that no character is
// lost on its way, and the files in the ANSI code page are converted to and from it here.
#pragma once

#include "GitAttributes.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace VexloCli {

class TextForms {
public:
    // lineEnds and encoding as the options give them; ansiCodePage is the run's (the
    // model's, --codepage, or the system's).
    TextForms(std::wstring lineEnds, std::wstring encoding, unsigned ansiCodePage);

    // Learns the run's files (before the add-in runs): which exist, which carry the
    // UTF-8 mark, which are C#.
    void Plan(const std::vector<std::wstring>& paths);

    // Whether the add-in is to run in UTF-8.
    bool AddinUtf8() const { return m_addinUtf8; }
    // The code page the add-in is to run in.
    unsigned AddinCodePage() const;

    // An old file's text as the add-in is to read it: CR LF line ends, the add-in's
    // encoding, no mark. Characters that the ANSI code page cannot hold (a UTF-8 file
    // converted by --encoding ansi) are named in a warning. Nothing when the text is in
    // that form already (the usual case: no copy of the file is made).
    std::optional<std::string> ToAddin(const std::wstring& path, const std::string& text) const;

    // A new text of the add-in as the user's file is to hold it; `old` tells whether
    // there is an old file and how its lines end (LineEndTally::Alike).
    struct OldFile {
        bool exists = false;
        int lineEnds = -1;
    };
    std::string ToUser(const std::wstring& path, const std::string& addinText, OldFile old);

private:
    struct Planned {
        bool utf8 = false;   // the old file is UTF-8 text
        bool mark = false;   // with the byte-order mark
        bool ascii = false;  // all ASCII: says nothing of its encoding
        bool exists = false;
        bool csharp = false;
    };
    // A new file, or one whose text is all ASCII: its encoding is the new file's.
    static bool Undecided(const Planned& file) { return !file.exists || file.ascii; }
    bool TargetUtf8(const Planned& file, const std::string& addinText) const;
    std::wstring m_lineEnds, m_encoding;
    unsigned m_ansi;
    bool m_addinUtf8 = false;
    std::map<std::wstring, Planned> m_files; // by lower-case "/" path
    GitAttributes m_git;
};

// UTF-8 text: it starts with the byte-order mark, or it is not ASCII and is well-formed
// UTF-8 (text of an 8-bit code page hardly ever is).
bool IsUtf8Text(const std::string& text);

// Conversions between the ANSI code page given and UTF-8; `lost` counts the characters
// that became "?" (and the line of the first, from 1).
std::string Utf8FromAnsi(const std::string& text, unsigned codePage);
std::string AnsiFromUtf8(const std::string& text, unsigned codePage, size_t* lost = nullptr, int* firstLine = nullptr);

// How a text's lines end: 1 all in CR LF, 0 all in LF, -1 mixed or no line end.
struct LineEndTally {
    size_t lf = 0, pairs = 0; // line ends, and those in CR LF
    int Alike() const { return lf > 0 && (pairs == 0 || pairs == lf) ? pairs == lf : -1; }
};
LineEndTally TallyLineEnds(std::string_view text);

// Every line end made CR LF, or LF.
std::string WithLineEnds(const std::string& text, bool crlf);

} // namespace VexloCli
