#include "zones/ZoneScan.h"

#include <algorithm>

namespace VexloCli {

namespace {

constexpr std::string_view kBegin = "//## begin ";
constexpr std::string_view kEnd = "//## end";
constexpr std::string_view kPreserve = " preserve=";
constexpr size_t npos = std::string_view::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// What follows "//## end" on a marker line: nothing, or " scope%id.tag" (whatever
// scope, id and tag: they are not examined). Anything else is the user's.
bool LooksLikeMarkerTail(std::string_view tail)
{
    while (!tail.empty() && IsBlank(tail.back()))
        tail.remove_suffix(1);
    if (tail.empty())
        return true;
    if (tail.find('\n') != npos || tail.front() != ' ')
        return false;
    size_t percent = tail.find('%');
    return percent != npos && tail.find('.', percent) != npos;
}

// The same searches as the add-in's scan, piece after piece across lines: `each` gets
// every zone's places (start, percent, dot, preserve, textStart, textEnd, end); the
// result is the begin marker that cannot be read, or npos.
template <class Each> size_t WalkZones(std::string_view text, std::wstring* why, Each&& each)
{
    const std::string_view eol = text.find("\r\n") != npos ? std::string_view("\r\n") : std::string_view("\n");
    for (size_t begin = text.find(kBegin); begin != npos;) {
        size_t percent = text.find('%', begin + kBegin.size());
        size_t dot = percent == npos ? npos : text.find('.', percent + 1);
        size_t preserve = dot == npos ? npos : text.find(kPreserve, dot + 1);
        size_t valueEnd = preserve == npos ? npos : text.find(eol, preserve + kPreserve.size());
        size_t end = valueEnd == npos ? npos : text.find(kEnd, valueEnd + eol.size());
        if (end == npos) {
            if (why)
                *why = percent == npos    ? L"no \"%\" follows it"
                       : dot == npos      ? L"no \".\" follows its \"%\""
                       : preserve == npos ? L"no \" preserve=\" follows it"
                       : valueEnd == npos ? L"no line end follows its \" preserve=\""
                                          : L"no \"//## end\" follows it";
            return begin;
        }
        size_t endLineEnd = text.find(eol, end + kEnd.size());
        each(begin, percent, dot, preserve, valueEnd + eol.size(), end,
             endLineEnd == npos ? text.size() : endLineEnd + eol.size());
        begin = endLineEnd == npos ? npos : text.find(kBegin, endLineEnd);
    }
    return npos;
}

// Whether an end-marker tail is " scope%id.tag" of this zone.
bool NamesZone(std::string_view tail, const ScannedZone& zone)
{
    auto take = [&tail](std::string_view piece) {
        if (tail.substr(0, piece.size()) != piece)
            return false;
        tail.remove_prefix(piece.size());
        return true;
    };
    return take(" ") && take(zone.scope) && take("%") && take(zone.id) && take(".") && take(zone.tag) && tail.empty();
}

} // namespace

size_t CountZones(std::string_view text)
{
    size_t count = 0;
    WalkZones(text, nullptr, [&](size_t, size_t, size_t, size_t, size_t, size_t, size_t) { ++count; });
    return count;
}

ZoneScanResult ScanZoneText(std::string_view text)
{
    ZoneScanResult result;
    const size_t unreadable = WalkZones(text, &result.why, [&](size_t begin, size_t percent, size_t dot, size_t preserve,
                                                              size_t textStart, size_t textEnd, size_t end) {
        ScannedZone zone;
        zone.start = begin;
        zone.scope = text.substr(begin + kBegin.size(), percent - begin - kBegin.size());
        zone.id = text.substr(percent + 1, dot - percent - 1);
        zone.tag = text.substr(dot + 1, preserve - dot - 1);
        zone.textStart = textStart;
        zone.textEnd = textEnd;
        zone.end = end;
        result.zones.push_back(std::move(zone));
    });
    if (unreadable != npos) {
        result.unreadable = true;
        result.unreadableAt = unreadable;
        return result;
    }

    // What the zones pass over.
    size_t previousEnd = 0;
    for (const ScannedZone& zone : result.zones) {
        for (size_t at = text.find(kEnd, previousEnd); at != npos && at < zone.start; at = text.find(kEnd, at + 1)) {
            size_t lineEnd = text.find('\n', at);
            size_t to = lineEnd == npos ? text.size() : lineEnd + 1;
            result.anomalies.push_back({ZoneAnomaly::OrphanEnd, at, previousEnd, std::min(to, zone.start)});
            previousEnd = std::min(to, zone.start);
        }
        for (size_t at = text.find(kBegin, zone.textStart); at != npos && at < zone.textEnd;
             at = text.find(kBegin, at + 1))
            result.anomalies.push_back({ZoneAnomaly::BeginInsideText, at, at, at});
        std::string_view tail = text.substr(zone.textEnd + kEnd.size(), zone.end - zone.textEnd - kEnd.size());
        if (!LooksLikeMarkerTail(tail)) {
            result.anomalies.push_back({ZoneAnomaly::EndLineText, zone.textEnd, zone.textEnd, zone.end});
        } else {
            // An end marker that names another zone: the begin marker of that zone is gone
            // (deleted or merged away), and its text stands before this zone's begin marker.
            while (!tail.empty() && IsBlank(tail.back()))
                tail.remove_suffix(1);
            if (!tail.empty() && !NamesZone(tail, zone) && previousEnd < zone.start)
                result.anomalies.push_back({ZoneAnomaly::MismatchedEnd, zone.textEnd, previousEnd, zone.start});
        }
        previousEnd = zone.end;
    }
    for (size_t at = text.find(kEnd, previousEnd); at != npos; at = text.find(kEnd, at + 1)) {
        size_t lineEnd = text.find('\n', at);
        size_t to = lineEnd == npos ? text.size() : lineEnd + 1;
        result.anomalies.push_back({ZoneAnomaly::OrphanEnd, at, previousEnd, to});
        previousEnd = to;
    }
    return result;
}

int LineOf(std::string_view text, size_t position)
{
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(
                                                                            std::min(position, text.size())),
                                           '\n'));
}

std::string MarkerForm(const ScannedZone& zone, std::string_view text)
{
    std::string key;
    key.append(zone.scope).append("%").append(zone.id).append(".").append(zone.tag);
    std::string form;
    form.reserve(2 * key.size() + 40 + zone.textEnd - zone.textStart);
    form.append("//## begin ").append(key).append(" preserve=yes\r\n");
    form.append(text.substr(zone.textStart, zone.textEnd - zone.textStart));
    return form.append("//## end ").append(key).append("\r\n");
}

std::string ComparableText(std::string_view text)
{
    std::string result;
    size_t at = 0;
    while (at < text.size()) {
        size_t lineEnd = text.find('\n', at);
        std::string_view line = text.substr(at, lineEnd == npos ? npos : lineEnd - at);
        at = lineEnd == npos ? text.size() : lineEnd + 1;
        while (!line.empty() && IsBlank(line.front()))
            line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back()))
            line.remove_suffix(1);
        if (!line.empty())
            result.append(line).push_back('\n');
    }
    return result;
}

} // namespace VexloCli
