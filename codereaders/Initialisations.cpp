// The statements a method's implementation holds before its body zone. The generators
// write a constructor's initialisations of its class's fields there, outside the zones:
// the text between the method's opening and its body zone's begin marker.
#include "Declarations.h"
#include "ZoneMarkers.h"

#include <cctype>

namespace VexloCode {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  for (size_t from = 0; from <= text.size();) {
    size_t nl = text.find('\n', from);
    if (nl == std::string_view::npos) nl = text.size();
    out.push_back(text.substr(from, nl - from));
    from = nl + 1;
  }
  return out;
}

bool IsName(std::string_view s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && static_cast<unsigned char>(c) < 0x80) return false;
  return true;
}

// "FWidth:=0;" (Delphi) or "Fbalance=0;" (C#): the field and the value.
void Assignment(Initialisation& init, Language language) {
  std::string_view s = init.text;
  if (s.empty() || s.back() != ';') return;
  s.remove_suffix(1);
  const std::string_view op = language == Language::Delphi ? ":=" : "=";
  const size_t at = s.find(op);
  if (at == std::string_view::npos) return;
  const std::string_view field = Trim(s.substr(0, at)), value = Trim(s.substr(at + op.size()));
  if (!IsName(field) || value.empty() || (language == Language::CSharp && value.front() == '=')) return;
  init.field = field;
  init.value = value;
}

}  // namespace

std::vector<Initialisation> ReadInitialisations(std::string_view text, Language language) {
  return ReadInitialisations(text, language, FindZoneMarkers(text));
}

std::vector<Initialisation> ReadInitialisations(std::string_view text, Language language,
                                                const std::vector<ZoneMarker>& markers) {
  std::vector<Initialisation> out;
  const std::vector<std::string_view> lines = Lines(text);
  const std::string_view opening = language == Language::Delphi ? "begin" : "{";
  for (const ZoneMarker& m : markers) {
    if (!m.begin || m.tag != "body") continue;
    // Back from the marker to the method's opening; a marker on the way means the zone
    // stands elsewhere (the reader takes nothing).
    int open = 0;
    for (int l = m.line - 1; l >= 1 && l > m.line - 200; --l) {
      const std::string_view t = Trim(lines[static_cast<size_t>(l - 1)]);
      if (EqualNoCase(t, opening)) {
        open = l;
        break;
      }
      if (t.find("//## ") != std::string_view::npos) break;
    }
    if (open == 0) continue;
    for (int l = open + 1; l < m.line; ++l) {
      const std::string_view t = Trim(lines[static_cast<size_t>(l - 1)]);
      if (t.empty()) continue;
      Initialisation init;
      init.methodId = m.id;
      init.scope = m.scope;
      init.text = t;
      init.line = l;
      Assignment(init, language);
      out.push_back(std::move(init));
    }
  }
  return out;
}

}  // namespace VexloCode
