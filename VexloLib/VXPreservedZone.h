// One preserved zone found in an existing generated file: the user's text between
//   //## begin <scope>%<unique id>.<tag> preserve=<value>
//   //## end <scope>%<unique id>.<tag>
// The zone keeps positions into the text that was read, not copies; it shares
// ownership of that text, so a zone stays readable however long it is held.
#pragma once

#include <memory>
#include <string>

#include "LmBSTR.h"
#include "LmObject.h"
#include "LmPtr.h"

// The whole text of an old file, read once and shared by every zone found in it.
using CVXZoneText = std::shared_ptr<const char[]>;

// Positions (byte offsets into the file text) of the six parts of a zone. Every end
// is exclusive except ScopeEnd, which is the character in front of the "%".
struct CVXZoneSpans
{
    unsigned ZoneStart = 0;     // "//## begin "
    unsigned ZoneEnd = 0;       // after the line end of the end marker
    unsigned TextStart = 0;     // after the line end of the begin marker
    unsigned TextEnd = 0;       // "//## end"
    unsigned ScopeStart = 0;    // after "//## begin "
    unsigned ScopeEnd = 0;      // the character before "%"
    unsigned UniqueIdStart = 0; // after "%"
    unsigned UniqueIdEnd = 0;   // the first "." after "%"
    unsigned TagStart = 0;      // after that "."
    unsigned TagEnd = 0;        // " preserve="
    unsigned PreserveStart = 0; // after " preserve="
    unsigned PreserveEnd = 0;   // the line end of the begin marker
};

class CVXPreservedZone : public LmLib::Object::CLmObject
{
public:
    // owner: the file object that read the zone (may be null).
    static LmLib::CLmPtr<CVXPreservedZone> Create(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner, CVXZoneText text,
                                                  const CVXZoneSpans& spans);

    // All four convert from the file's 8-bit text with the ANSI code page.
    virtual LmLib::Values::CLmBSTR GetText();
    virtual LmLib::Values::CLmBSTR GetUniqueId();
    virtual LmLib::Values::CLmBSTR GetTag();
    // True when the preserve value, upper-cased, is "YES".
    virtual bool IsPreserved();

    // The unique id and the tag as GetUniqueId and GetTag read them, each up to its first
    // terminator, in one text: the id, then the tag from tagStart on.
    void GetKeyText(std::wstring& key, size_t& tagStart) const;

    unsigned GetZoneStart() const { return m_Spans.ZoneStart; }
    unsigned GetZoneEnd() const { return m_Spans.ZoneEnd; }
    unsigned GetTextStart() const { return m_Spans.TextStart; }
    unsigned GetTextEnd() const { return m_Spans.TextEnd; }
    unsigned GetScopeStart() const { return m_Spans.ScopeStart; }
    unsigned GetScopeEnd() const { return m_Spans.ScopeEnd; }
    unsigned GetUniqueIdStart() const { return m_Spans.UniqueIdStart; }
    unsigned GetUniqueIdEnd() const { return m_Spans.UniqueIdEnd; }
    unsigned GetTagStart() const { return m_Spans.TagStart; }
    unsigned GetTagEnd() const { return m_Spans.TagEnd; }
    unsigned GetPreserveStart() const { return m_Spans.PreserveStart; }
    unsigned GetPreserveEnd() const { return m_Spans.PreserveEnd; }

    // For Create only.
    CVXPreservedZone(LmLib::CLmPtr<LmLib::Object::CLmRefsObject> owner, CVXZoneText text, const CVXZoneSpans& spans);

private:
    LmLib::Values::CLmBSTR ConvertSpan(unsigned start, unsigned end) const;

    CVXZoneText m_Text;
    CVXZoneSpans m_Spans;
};
