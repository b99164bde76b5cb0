// Base of every language extension object: wraps one model element (its parent) and
// knows how to write it in one language. Extensions are made afresh for every request
// and keep nothing between requests.
#pragma once

#include "LmBSTR.h"
#include "LmObject.h"
#include "LmPtr.h"

#include <functional>
#include <string>
#include <string_view>

class CVXCommon;
class CVXElement;
class CVXPreservedZones;

class CVXExtension : public LmLib::Object::CLmObject
{
public:
    // parent: the element wrapper that the extension extends.
    explicit CVXExtension(const LmLib::CLmPtr<LmLib::Object::CLmRefsObject>& parent);
    ~CVXExtension() override;

    bool Initialize(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> parent) override;
    // The text that belongs in the implementation section; empty here.
    virtual LmLib::Values::CLmBSTR GetImplementation(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    // The declaration text (for C#, the whole text of the element); empty here.
    virtual LmLib::Values::CLmBSTR GetDeclaration(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    // The same two texts as one of the add-in's objects hands them to another: no host
    // string in between, so a module takes its classes' texts without copying them
    // twice. They end where the host strings end (see Handed). An extension that writes
    // its texts here answers the two above from them; the others are read through them.
    virtual std::wstring GetImplementationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    virtual std::wstring GetDeclarationText(const LmLib::CLmPtr<CVXPreservedZones>& zones, long option);
    // Runs DoGenerate().
    virtual void Generate();
    // The parent viewed as a host wrapper; empty when it is not one.
    virtual LmLib::CLmPtr<CVXCommon> GetExtendedObject();
    virtual LmLib::Values::CLmBSTR GetToolName() = 0;
    // Only the module extensions write anything (their file).
    virtual void DoGenerate();

    // What every language reads and writes the same way; the tool name is data.

    // One indentation unit (two blanks).
    static const wchar_t* const Unit;
    // A tool property of element, exactly as the host answers it.
    static LmLib::Values::CLmBSTR GetToolProperty(CVXElement& element, const wchar_t* tool, const wchar_t* name);
    // A boolean property value: true only for "TRUE" in any letter case.
    static bool IsTrue(const LmLib::Values::CLmBSTR& value);
    // True when the value in upper case is word (given in upper case).
    static bool IsWord(const LmLib::Values::CLmBSTR& value, const wchar_t* word);
    // An enumerated property value, in lower case for comparison.
    static std::wstring Lower(const LmLib::Values::CLmBSTR& value);
    static std::wstring Text(const LmLib::Values::CLmBSTR& value);
    // text += Text(value), without the copy in between.
    static void AppendText(std::wstring& text, const LmLib::Values::CLmBSTR& value);
    static LmLib::Values::CLmBSTR Bstr(const std::wstring& text);
    // The text as a host string made of it would hold it: up to its first terminator.
    static std::wstring Handed(std::wstring text);
    // A host string of every character of text.
    static LmLib::Values::CLmBSTR WholeBstr(std::wstring_view text);
    // Puts levels units after every CR LF and in front of the text; a text that ends
    // with a line break gets no indentation after it.
    static std::wstring IndentText(const std::wstring& text, int levels);
    // Takes levels units off the start of the text and after every CR LF; a line with
    // less indentation keeps what it has.
    static std::wstring UnindentText(const std::wstring& text, int levels);
    // One zone, found in zones or with its default body (see CVXZoneWriter); found
    // text goes through foundText when one is given.
    static std::wstring Zone(const LmLib::CLmPtr<CVXPreservedZones>& zones, const std::wstring& scope,
                             const std::wstring& uniqueId, const wchar_t* tag, const std::wstring& indentation,
                             const std::wstring& defaultBody,
                             const std::function<std::wstring(const std::wstring&)>& foundText = nullptr);
    // True when the wrapper stands for a host object (a relation's far end may not).
    static bool HasHostObject(CVXCommon* wrapper);
};
