#include "ZoneMarkers.h"

#include <algorithm>
#include <cctype>

namespace VexloCode {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool ParseMarker(std::string_view line, ZoneMarker& marker) {
  line = Trim(line);
  std::string_view rest;
  if (line.starts_with("//## begin ")) {
    marker.begin = true;
    rest = line.substr(11);
  } else if (line.starts_with("//## end ")) {
    marker.begin = false;
    rest = line.substr(9);
  } else {
    return false;
  }
  const size_t percent = rest.rfind('%');
  if (percent == std::string_view::npos) return false;
  marker.scope = std::string(rest.substr(0, percent));
  rest = rest.substr(percent + 1);
  const size_t dot = rest.find('.');
  if (dot == std::string_view::npos) return false;
  marker.id = std::string(rest.substr(0, dot));
  rest = rest.substr(dot + 1);
  marker.tag = std::string(rest.substr(0, rest.find(' ')));
  return !marker.id.empty() && !marker.tag.empty();
}

}  // namespace

std::vector<ZoneMarker> FindZoneMarkers(std::string_view text) {
  std::vector<ZoneMarker> markers;
  int line = 1;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ZoneMarker marker;
    if (ParseMarker(text.substr(start, end - start), marker)) {
      marker.line = line;
      markers.push_back(std::move(marker));
    }
    start = end + 1;
    ++line;
  }
  return markers;
}

std::vector<ZoneMarker>::const_iterator MarkerAt(const std::vector<ZoneMarker>& markers, int line) {
  // Asked for every declaration of a file: a search, not a scan of all its markers.
  return std::lower_bound(markers.begin(), markers.end(), line,
                          [](const ZoneMarker& marker, int at) { return marker.line < at; });
}

int MarkerLineWithin(const std::vector<ZoneMarker>& markers, int first, int last) {
  auto it = MarkerAt(markers, first);
  return it != markers.end() && it->line < last ? it->line : 0;
}

std::string OwnZoneId(const std::vector<ZoneMarker>& markers, std::string_view scope) {
  for (const ZoneMarker& marker : markers)
    if (marker.begin && marker.scope == scope) return marker.id;
  return "";
}

std::string BodyTag(std::string_view tag) {
  if (tag == "getvar" || tag == "getbody") return "getbody";
  if (tag == "setvar" || tag == "setbody") return "setbody";
  if (tag == "var" || tag == "body") return "body";
  return std::string(tag);
}

namespace {

// Letters, digits, '_' and any byte of a multi-byte character (CJK names are identifiers).
bool IsIdentifier(std::string_view name) {
  if (name.empty() || (name.front() >= '0' && name.front() <= '9')) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_';
  });
}

// The type zones' scopes that are no identifiers, each once.
std::vector<std::string> OddTypeNames(const std::vector<ZoneMarker>& markers) {
  std::vector<std::string> names;
  for (const ZoneMarker& m : markers)
    if (m.begin && m.tag == "preface" && !IsIdentifier(m.scope) &&
        std::find(names.begin(), names.end(), m.scope) == names.end())
      names.push_back(m.scope);
  return names;
}

}  // namespace

void DescribeNotReadBack(std::vector<NotReadBack>& entries, std::string_view text,
                         const std::vector<ZoneMarker>& markers, std::string_view language) {
  if (entries.empty()) return;
  std::vector<std::string_view> lines = {std::string_view()};  // by 1-based line
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::vector<char> zone(lines.size(), 0);  // inside a zone, or a marker line
  int open = 0;
  auto marker = markers.begin();
  for (size_t line = 1; line < lines.size(); ++line) {
    const bool isMarker = marker != markers.end() && marker->line == static_cast<int>(line);
    zone[line] = isMarker || open > 0;
    if (isMarker) open += (marker++)->begin ? 1 : -1;
  }
  const std::vector<std::string> odd = OddTypeNames(markers);
  for (NotReadBack& entry : entries) {
    const int last = std::max(entry.line, entry.endLine);
    entry.text.clear();
    for (int line = std::max(entry.line, 1); line <= last && line < static_cast<int>(lines.size()); ++line)
      if (!zone[static_cast<size_t>(line)]) (entry.text += Trim(lines[static_cast<size_t>(line)])) += '\n';
    if (entry.line < 1 || entry.line >= static_cast<int>(lines.size())) continue;
    const std::string_view declared = Trim(lines[static_cast<size_t>(entry.line)]);
    auto declares = [&](const std::string& name) {  // "Name = class", "public class Name"
      if (declared.starts_with(name)) return true;
      for (const char* kind : {"class ", "struct ", "interface ", "enum "})
        if (declared.find(kind + name) != std::string_view::npos) return true;
      return false;
    };
    for (const std::string& name : odd)
      if (declares(name)) {
        entry.why = "the class " + name + ": its name is no " + std::string(language) +
                    " identifier (the generator writes the model's name as it stands), so the class's declarations "
                    "are not read back; give the class an identifier as its name in the model";
        break;
      }
  }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  // Pascal's case folding is ASCII's (the C locale's tolower, without a call per letter).
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace VexloCode
