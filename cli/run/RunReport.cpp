#include "RunReport.h"

#include "Console.h"
#include "RunFiles.h"

#include <cstdio>
#include <cwctype>

namespace VexloCli {

namespace {

std::string Json(const std::wstring& text)
{
    std::string utf8 = Narrow(text), out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

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
    // "FILE:LINE: ..." names a place; a path may hold ":" itself (a drive), so the line is
    // the first number between colons that a blank follows.
    ReportMessage m{kind, text, L"", 0};
    for (size_t colon = text.find(L':'); colon != std::wstring::npos; colon = text.find(L':', colon + 1)) {
        size_t digits = colon + 1;
        while (digits < text.size() && std::iswdigit(static_cast<wint_t>(text[digits])))
            ++digits;
        if (digits > colon + 1 && digits + 1 < text.size() && text[digits] == L':' && text[digits + 1] == L' ') {
            m.file = text.substr(0, colon);
            m.line = static_cast<unsigned>(std::wcstoul(text.c_str() + colon + 1, nullptr, 10));
            break;
        }
    }
    messages.push_back(m);
}

void RunReport::Time(const char* step)
{
    auto now = std::chrono::steady_clock::now();
    m_timings.emplace_back(step, std::chrono::duration<double, std::milli>(now - m_last).count());
    m_last = now;
}

bool RunReport::Write(const std::wstring& path, int exitCode) const
{
    std::string out = "{\n  \"version\": 1,\n  \"model\": " + Json(model) + ",\n  \"host\": " + Json(host) +
                      ",\n  \"language\": " + Json(language) + ",\n  \"mode\": " + Json(mode) +
                      ",\n  \"selection\": {\"classes\": " + List(classes) + ", \"components\": " + List(components) +
                      "},\n  \"files\": [";
    for (size_t i = 0; i < files.size(); ++i) {
        const ReportFile& f = files[i];
        out += std::string(i ? "," : "") + "\n    {\"path\": " + Json(f.path) + ", \"action\": " + Json(f.action) +
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
               ", \"file\": " + Json(f.file) + ", \"line\": " + (f.line ? std::to_string(f.line) : "null") +
               ", \"message\": " + Json(f.message) + ", \"fix\": " + Json(f.fix) + "}";
    }
    out += std::string(findings.empty() ? "" : "\n  ") + "],\n  \"messages\": [";
    for (size_t i = 0; i < messages.size(); ++i) {
        const ReportMessage& m = messages[i];
        out += std::string(i ? "," : "") + "\n    {\"kind\": " + Json(m.kind) + ", \"text\": " + Json(m.text) +
               ", \"file\": " + (m.file.empty() ? std::string("null") : Json(m.file)) +
               ", \"line\": " + (m.line ? std::to_string(m.line) : std::string("null")) + "}";
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
