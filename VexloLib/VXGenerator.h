// The output file of one component. Made for the path that the component's file will
// have, it first reads the file that is there now and keeps its preserved zones, so
// that the new text can carry the user's code over; then it replaces that file with
// the new text in one step.
#pragma once

#include "LmCustomTextFile.h"
#include "LmGCPtr.h"

#include <string_view>

class CVXPreservedZones;

class CVXGenerator : public LmLib::File::CLmCustomTextFile
{
public:
    // The generator for the file at path; it has read the old file's zones already.
    static LmLib::CLmPtr<CVXGenerator> Create(const LmLib::Values::CLmBSTR& path,
                                             LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent);

    // For Create only.
    CVXGenerator(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent, const LmLib::Values::CLmBSTR& path);
    ~CVXGenerator() override;

    // Reads the zones of the file at the path (none when there is no file or it cannot
    // be read). Raises when the file's markers cannot be read, so that no user text is
    // lost by writing over it. Returns true otherwise.
    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;

    // The zones read by Initialize (an empty set when there was no file).
    LmLib::CLmPtr<CVXPreservedZones> GetZones() const;

    // Replaces the file at the path by text, converted to the ANSI code page. The text
    // goes to a temporary file of its own, created exclusively in the same folder, which
    // then takes the old file's place (keeping its permissions; a link keeps pointing at
    // it), so the old file is either left whole or replaced by the whole new text.
    // Returns false, the old file untouched, when the file cannot be written (a
    // read-only file or folder, a path naming a folder, a full disk).
    bool ReplaceFile(const LmLib::Values::CLmBSTR& text);
    bool ReplaceFile(std::wstring_view text);

    // A new name for the temporary file used by ReplaceFile for path, next to it
    // ("<path>.<process>-<count>.vxnew"); each call gives another.
    static LmLib::Values::CLmBSTR GetTemporaryPath(const LmLib::Values::CLmBSTR& path);

protected:
    LmLib::CLmGCPtr<CVXPreservedZones> m_Zones;
};
