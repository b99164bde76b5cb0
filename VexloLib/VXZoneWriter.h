// Writing a preserved zone into a new file text. Every generator writes its zones
// through Write, so the markers are spelt in one place:
//
//   indentation "//## begin " scope "%" id "." tag " preserve=yes" CR LF
//   the old zone's text, or the default body followed by the indentation
//   "//## end " scope "%" id "." tag CR LF
//
// The old zone's text already ends with whatever stood in front of its end marker,
// so nothing is put between it and the new end marker. It is copied as it was read,
// line ends included; a generator that must adapt it (C# takes off the indentation
// of namespace nesting) passes a function that gets the text and returns what to
// write.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "LmBSTR.h"
#include "LmPtr.h"

class CVXPreservedZones;

class CVXZoneWriter
{
public:
    using FoundTextFilter = std::function<LmLib::Values::CLmBSTR(const LmLib::Values::CLmBSTR&)>;

    // The begin-marker line, ending with CR LF, without indentation.
    static LmLib::Values::CLmBSTR BeginMarker(const LmLib::Values::CLmBSTR& scope,
                                              const LmLib::Values::CLmBSTR& uniqueId,
                                              const LmLib::Values::CLmBSTR& tag);
    // The end-marker line, ending with CR LF, without indentation.
    static LmLib::Values::CLmBSTR EndMarker(const LmLib::Values::CLmBSTR& scope, const LmLib::Values::CLmBSTR& uniqueId,
                                            const LmLib::Values::CLmBSTR& tag);

    // The whole zone: looked up in zones (which may be null: no old file) by unique id
    // and tag; the scope only names it for the reader.
    static LmLib::Values::CLmBSTR Write(const LmLib::CLmPtr<CVXPreservedZones>& zones,
                                        const LmLib::Values::CLmBSTR& scope, const LmLib::Values::CLmBSTR& uniqueId,
                                        const LmLib::Values::CLmBSTR& tag, const LmLib::Values::CLmBSTR& indentation,
                                        const LmLib::Values::CLmBSTR& defaultBody,
                                        const FoundTextFilter& foundText = nullptr);

    // The same zone built in one reserved buffer, for generators that assemble their
    // text as wide strings.
    static std::wstring WriteText(const LmLib::CLmPtr<CVXPreservedZones>& zones, std::wstring_view scope,
                                  std::wstring_view uniqueId, std::wstring_view tag, std::wstring_view indentation,
                                  std::wstring_view defaultBody,
                                  const std::function<std::wstring(const std::wstring&)>& foundText = nullptr);
};
