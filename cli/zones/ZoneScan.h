// The host's reading of the preserved zones of an old generated file. It reads the
// zones exactly as the add-in's generator will (same searches, same line ends, same
// refusals), so that the host can tell beforehand what the add-in will keep and what it
// will drop, and it also finds what that reading passes over: markers that no zone
// uses, and end-marker lines that hold more than a marker. Language-free: only the
// marker comments count, whatever the kind of file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace VexloCli {

struct ScannedZone {
    size_t start = 0;     // "//## begin "
    size_t textStart = 0; // after the begin marker's line end
    size_t textEnd = 0;   // "//## end"
    size_t end = 0;       // after the end marker's line end (or the end of the text)
    // Views into the scanned text: it must stay where it is while the zone is used.
    std::string_view scope, id, tag;
};

// Something the reading passes over. Text [from, to) is what a new file would not keep.
struct ZoneAnomaly {
    enum Kind {
        BeginInsideText, // a begin marker inside another zone's text (nothing is lost)
        OrphanEnd,       // an end marker that no begin marker opens
        EndLineText,     // an end-marker line that also holds other text or lines
        MismatchedEnd,   // a zone's end marker names another zone (text before its begin is at risk)
    } kind;
    size_t at = 0; // the marker
    size_t from = 0, to = 0;
};

struct ZoneScanResult {
    std::vector<ScannedZone> zones;
    std::vector<ZoneAnomaly> anomalies;
    bool unreadable = false; // the add-in refuses the file
    size_t unreadableAt = 0; // the begin marker it cannot read
    std::wstring why;        // what is missing after that marker
};

ZoneScanResult ScanZoneText(std::string_view text);

// ScanZoneText(text).zones.size(), without keeping the zones.
size_t CountZones(std::string_view text);

// 1-based line of a byte position.
int LineOf(std::string_view text, size_t position);

// The zone in marker form, as the generators write it, with CR LF marker lines.
std::string MarkerForm(const ScannedZone& zone, std::string_view text);

// The zone text for comparison: every line without its leading and trailing blanks,
// blank lines left out (a zone may come back with another indentation).
std::string ComparableText(std::string_view text);

} // namespace VexloCli
