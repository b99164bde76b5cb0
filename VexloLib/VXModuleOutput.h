// Where a component's file goes and how it is written, the same for every language:
// the tool whose "Directory" properties are read is data. A component's folder is its
// package's folder ("AUTO GENERATE" below the parent's, "." the parent's, anything else
// a folder of its own, upper-cased); a leading "$SYMBOL" comes from the host's virtual
// path map.
#pragma once

#include "LmBSTR.h"
#include "LmPtr.h"

#include <string_view>

class CVXGenerator;
class CVXModel;
class CVXModule;
class CVXSubsystem;

class CVXModuleOutput
{
public:
    static const wchar_t* const VirtualPathMapKey;

    // Replaces a leading "$SYMBOL" by its folder from the host's virtual path map
    // (HKEY_CURRENT_USER "Software\Microsoft\Visual Modeler\Virtual Path Map"); an
    // unknown symbol expands to nothing. A path that does not start with "$" is
    // returned unchanged.
    static LmLib::Values::CLmBSTR ExpandVirtualPath(const LmLib::Values::CLmBSTR& path);
    // The model's "Directory" property of tool, expanded.
    static LmLib::Values::CLmBSTR GetModelDirectory(const LmLib::CLmPtr<CVXModel>& model, const wchar_t* tool);
    // The output folder of the package's components.
    static LmLib::Values::CLmBSTR GetSubsystemDirectory(const LmLib::CLmPtr<CVXSubsystem>& subsystem,
                                                        const wchar_t* tool);
    // The folder of the component's package, "\" and fileName.
    static LmLib::Values::CLmBSTR GetFilePath(const LmLib::CLmPtr<CVXModule>& module, const wchar_t* tool,
                                              const LmLib::Values::CLmBSTR& fileName);
    // One line to the host's log, through the component's model.
    static void WriteLog(const LmLib::CLmPtr<CVXModule>& module, const LmLib::Values::CLmBSTR& text);
    // Creates the file's folder when missing and replaces the file by text. Raises
    // "Can't create file %s" (code -100) when it cannot be written; the old file then
    // stays as it was.
    static void WriteFile(const LmLib::CLmPtr<CVXGenerator>& generator, const LmLib::Values::CLmBSTR& path,
                          std::wstring_view text);
};
