// The preserved-zone marker lines of a generated file ("//## begin Scope%ID.tag
// preserve=yes", "//## end Scope%ID.tag"), found by line. Both readers take element ids
// from them and refuse declarations that a marker cuts in two.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Declarations.h"

namespace VexloCode {

struct ZoneMarker {
  int line = 0;
  bool begin = true;
  std::string scope;  // "TItem" or "TItem::GetTitle"
  std::string id;
  std::string tag;
};

std::vector<ZoneMarker> FindZoneMarkers(std::string_view text);

// The first marker on this line or after it (the markers in line order).
std::vector<ZoneMarker>::const_iterator MarkerAt(const std::vector<ZoneMarker>& markers, int line);

// The first marker line in [first, last), or 0: a declaration over those lines is split.
// The markers in line order, as FindZoneMarkers gives them.
int MarkerLineWithin(const std::vector<ZoneMarker>& markers, int first, int last);

// The id of the zones whose scope is exactly this name (a type's own zones), or "".
std::string OwnZoneId(const std::vector<ZoneMarker>& markers, std::string_view scope);

// "getvar"/"getbody" -> "getbody", "setvar"/"setbody" -> "setbody", "var"/"body" -> "body".
std::string BodyTag(std::string_view tag);

// Fills each entry's text from its lines outside the zones (a user's change of a declaration
// left unread is told from the generator's own by it), and names a class whose model name
// is no identifier of the language ("<Process Name>", "A-B"): the generator writes the
// name as it stands, so the reader finds no type there.
void DescribeNotReadBack(std::vector<NotReadBack>& entries, std::string_view text,
                         const std::vector<ZoneMarker>& markers, std::string_view language);

bool EqualNoCase(std::string_view a, std::string_view b);
std::string Lower(std::string_view text);

}  // namespace VexloCode
