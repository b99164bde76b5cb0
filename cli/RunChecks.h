// What the host settles and checks before the add-in runs, so that a real-world model
// generates and nothing surprises the user: the code page, folders the add-in can create,
// references to classes the model does not hold, old files the code page cannot carry.
#pragma once

#include "TypeMap.h"

#include "ModelSetup.h"
#include "Options.h"
#include "OutputPaths.h"
#include "RoseModel.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace VexloCli {

// The code page of a Rose "charSet" (a Windows font character set); 0 when the character
// set names none (0 = ANSI, 1 = default, or unknown).
unsigned CodePageOfCharSet(int charSet);

// The "charSet" of the petal header at the start of a model file; -1 when there is none.
int ReadCharSet(const std::wstring& modelPath);

struct CodePageChoice {
    unsigned codePage = 0;  // 0: the ANSI code page as it is
    std::wstring reason;    // "--codepage", "VEXLO_ACP", "the model's charSet 134", "the default"
};

// --codepage first, then VEXLO_ACP, then the model's charSet, then the ANSI code page.
CodePageChoice ChooseCodePage(const Options& options);

// Makes the chosen code page the ANSI code page of the run (warns where it cannot be).
void ApplyCodePage(const CodePageChoice& choice);

// "936 (the model's charSet 134)".
std::wstring CodePageText(const CodePageChoice& choice);

// Loads the model for a run: with the shipped property sets found from the executable's
// folder (a warning without them), in the code page chosen (and made the ANSI code page),
// with the --language, --type-map and --out changes, absolute folders, and unresolved
// references reported.
std::shared_ptr<RoseHost::Model> LoadForRun(const Options& options, const std::wstring& executableFolder,
                                            CodePageChoice& codePage, const PrepareLoad& prepare = {});

// The built-in map of that name, else the map file read (once); throws CliError
// (ExitModelLoad) naming FILE:LINE for a file that cannot be read or holds no map.
const VexloTypes::TypeMap& TypeMapOf(const std::wstring& nameOrFile);

// "component Pkg::Name, class Pkg::Cls" for the last elements handed to the add-in.
std::wstring DescribeLastHanded(const RoseHost::Model& model, const RoseHost::Element* module,
                                const RoseHost::Element* cls);

// One warning per class name the model refers to but does not hold, with the place of its
// first reference.
void ReportUnresolved(const RoseHost::Model& model);

// Relative "Directory" values of the model (of both tools) and of component packages
// become absolute, from the current folder; an empty model "Directory" becomes the current
// folder. The add-in creates missing folders only below one that exists.
void MakeFoldersAbsolute(RoseHost::Model& model);

// A virtual path map entry's folder made absolute (from the current folder).
std::wstring AbsoluteFolder(const std::wstring& folder);

// The warning, naming the file and line, when an old output file holds bytes that do not
// come back unchanged through the code page (they would change when the file is rewritten).
std::optional<std::wstring> UnrepresentableBytes(const std::wstring& path, const std::string& bytes,
                                                 unsigned codePage);


} // namespace VexloCli
