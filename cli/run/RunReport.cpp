#include "RunReport.h"

#include "Console.h"
#include "RunFiles.h"
#include "RunChecks.h"
#include "RunPlan.h"
#include "zones/ZoneGuard.h"

#include "Utf8.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include <cstdio>
#include <cwctype>

namespace VexloCli {

namespace {

std::string Json(const std::wstring& text) { return JsonText(text); }

} // namespace

std::string JsonText(const std::wstring& text) { return RoseHost::JsonQuoted(Narrow(text)); }

namespace {

std::string List(const std::vector<std::wstring>& items)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + Json(items[i]);
    return out + "]";
}

} // namespace

RunReport::RunReport() : m_start(std::chrono::steady_clock::now()), m_last(m_start) {}

void RunReport::Message(const std::wstring& kind, const std::wstring& text)
{
    // "FILE:LINE: ..." or "FILE:LINE:COLUMN: ..." names a place; a path may hold ":" itself
    // (a drive), so the place is the first run of numbers between colons that ": " ends.
    ReportMessage m{kind, text, L"", 0, 0};
    auto number = [&](size_t at, size_t& end) {
        end = at;
        while (end < text.size() && std::iswdigit(static_cast<wint_t>(text[end])))
            ++end;
        return end > at;
    };
    for (size_t colon = text.find(L':'); colon != std::wstring::npos; colon = text.find(L':', colon + 1)) {
        size_t end = 0, end2 = 0;
        if (!number(colon + 1, end) || end >= text.size() || text[end] != L':')
            continue;
        const bool withColumn = number(end + 1, end2) && end2 + 1 < text.size() && text[end2] == L':' && text[end2 + 1] == L' ';
        if (!withColumn && !(end + 1 < text.size() && text[end + 1] == L' '))
            continue;
        m.file = text.substr(0, colon);
        m.line = static_cast<unsigned>(std::wcstoul(text.c_str() + colon + 1, nullptr, 10));
        if (withColumn)
            m.column = static_cast<unsigned>(std::wcstoul(text.c_str() + end + 1, nullptr, 10));
        break;
    }
    // "PATH: what" (a commit error, a file that cannot be read) names the file alone.
    if (m.file.empty()) {
        size_t colon = text.find(L": ");
        std::wstring head = colon == std::wstring::npos ? std::wstring() : text.substr(0, colon);
        if (head.find_first_of(L"/\\") != std::wstring::npos || head.rfind(L".mdl") == head.size() - 4)
            m.file = head;
    }
    if (!m.file.empty())
        m.file = ReportPath(m.file);
    messages.push_back(m);
}

void RunReport::Entry(const std::wstring& kind, const std::wstring& text, const std::wstring& file, unsigned line)
{
    messages.push_back({kind, text, file.empty() ? file : ReportPath(file), line, 0});
}

void AddRunEntries(RunReport& report, bool check, const std::vector<CarriedZone>& carried,
                   const std::vector<RecoveryEntry>& saved)
{
    for (const ReportFile& f : std::vector<ReportFile>(report.files)) {
        if (f.action == L"unchanged")
            continue;
        std::wstring kind = check && f.action == L"replace" ? L"stale" : f.action;
        std::wstring text = kind == L"create"    ? L"the model generates this new file"
                            : kind == L"stale"   ? L"the file differs from what the model generates, from this line on"
                                                 : L"the file changes from this line on";
        report.Entry(kind, text, f.path, f.firstChange);
    }
    for (const CarriedZone& c : carried)
        report.Entry(L"carry", L"the zone " + c.zone + L" follows its element into " + ReportPath(c.to), c.from,
                     static_cast<unsigned>(c.line));
    for (const RecoveryEntry& e : saved)
        report.Entry(L"save", e.reason + L" (to " + ReportPath(e.recovery) + L")", e.file, static_cast<unsigned>(e.line));
}

std::wstring ReportPath(const std::wstring& path)
{
    if (path.empty())
        return path;
    std::wstring full = Slashed(AbsoluteFolder(path));
    if (std::optional<std::wstring> rest = Below(AbsoluteFolder(L"."), full); rest && !rest->empty())
        return Slashed(*rest);
    return full;
}

unsigned FirstChangedLine(const std::string* old, const std::string& now)
{
    if (!old)
        return 1;
    // Whole blocks first: most files of a run are unchanged, and some are megabytes.
    const size_t common = std::min(old->size(), now.size());
    size_t same = 0;
    while (same + 4096 <= common && std::memcmp(old->data() + same, now.data() + same, 4096) == 0)
        same += 4096;
    while (same < common && (*old)[same] == now[same])
        ++same;
    return 1 + static_cast<unsigned>(std::count(old->begin(), old->begin() + static_cast<std::ptrdiff_t>(same), '\n'));
}

void RunReport::Time(const char* step)
{
    auto now = std::chrono::steady_clock::now();
    m_timings.emplace_back(step, std::chrono::duration<double, std::milli>(now - m_last).count());
    m_last = now;
}

bool RunReport::Write(const std::wstring& path, int exitCode) const
{
    std::string out = "{\n  \"version\": 1,\n  \"model\": " + Json(ReportPath(model)) + ",\n  \"host\": " + Json(host) +
                      ",\n  \"language\": " + Json(language) + ",\n  \"mode\": " + Json(mode) +
                      ",\n  \"codePage\": " + (codePage ? std::to_string(codePage) : std::string("null")) +
                      ",\n  \"selection\": {\"classes\": " + List(classes) + ", \"components\": " + List(components) +
                      "},\n  \"files\": [";
    for (size_t i = 0; i < files.size(); ++i) {
        const ReportFile& f = files[i];
        out += std::string(i ? "," : "") + "\n    {\"path\": " + Json(ReportPath(f.path)) + ", \"action\": " + Json(f.action) +
               ", \"bytes\": " + std::to_string(f.bytes) + ", \"zones\": {\"kept\": " +
               std::to_string(f.zones - f.carried) + ", \"carried\": " + std::to_string(f.carried) +
               ", \"saved\": " + std::to_string(f.saved) + "}}";
    }
    size_t created = 0, replaced = 0;
    for (const ReportFile& f : files) {
        created += f.action == L"create";
        replaced += f.action == L"replace";
    }
    out += std::string(files.empty() ? "" : "\n  ") + "],\n  \"summary\": {\"create\": " + std::to_string(created) +
           ", \"replace\": " + std::to_string(replaced) +
           ", \"unchanged\": " + std::to_string(files.size() - created - replaced) + "},\n  \"findings\": [";
    for (size_t i = 0; i < findings.size(); ++i) {
        const ReportFinding& f = findings[i];
        out += std::string(i ? "," : "") + "\n    {\"rule\": " + Json(f.rule) + ", \"element\": " + Json(f.path) +
               ", \"file\": " + Json(ReportPath(f.file)) + ", \"line\": " + (f.line ? std::to_string(f.line) : "null") +
               ", \"message\": " + Json(f.message) + ", \"fix\": " + Json(f.fix) + "}";
    }
    out += std::string(findings.empty() ? "" : "\n  ") + "],\n  \"messages\": [";
    for (size_t i = 0; i < messages.size(); ++i) {
        const ReportMessage& m = messages[i];
        out += std::string(i ? "," : "") + "\n    {\"kind\": " + Json(m.kind) + ", \"text\": " + Json(m.text) +
               ", \"file\": " + (m.file.empty() ? std::string("null") : Json(m.file)) +
               ", \"line\": " + (m.line ? std::to_string(m.line) : std::string("null")) +
               ", \"column\": " + (m.column ? std::to_string(m.column) : std::string("null")) + "}";
    }
    out += std::string(messages.empty() ? "" : "\n  ") + "],\n  \"exitCode\": " + std::to_string(exitCode) +
           ",\n  \"timingsMs\": {";
    double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
    for (const auto& [step, ms] : m_timings)
        out += Json(Ansi(step)) + ": " + std::to_string(static_cast<long long>(ms + 0.5)) + ", ";
    out += "\"total\": " + std::to_string(static_cast<long long>(total + 0.5)) + "}\n}\n";
    return WriteScratch(path, out);
}

} // namespace VexloCli
