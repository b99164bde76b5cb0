// Small pieces of the zone guard's messages and comparisons, shared by its parts.
#pragma once

#include "run/RunPaths.h"
#include "zones/ZoneScan.h"

#include <string>

namespace VexloCli {

inline std::wstring At(const std::wstring& path, int line) { return path + L":" + std::to_wstring(line); }

// A zone's text for comparison (see ComparableText).
inline std::string ZoneText(const std::string& text, const ScannedZone& zone)
{
    return ComparableText(std::string_view(text).substr(zone.textStart, zone.textEnd - zone.textStart));
}

inline std::wstring ZoneName(const ScannedZone& zone)
{
    return L"the zone " + Ansi(zone.scope) + L" (" + Ansi(zone.id) + L"." + Ansi(zone.tag) + L")";
}

} // namespace VexloCli
