// The JSON report of a generation run (--report FILE.json): one document with the model,
// host, language, selection, each file with its action and zones, each warning and error
// with its file and line, the exit code and timings. Its fields are documented in
// docs/CLI.md and kept stable.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace VexloCli {

struct ReportFile {
    std::wstring path;
    std::wstring action;   // "create", "replace", "unchanged"
    size_t bytes = 0;
    size_t zones = 0;      // zones in the new file
    size_t carried = 0;    // of those, carried in from another file
    size_t saved = 0;      // zones of the old file saved to its recovery file
};

struct ReportMessage {
    std::wstring kind;     // "warning" or "error"
    std::wstring text;
    std::wstring file;     // "" when the message names none
    unsigned line = 0;
};

// A finding of `vexlo lint`: the element's model file and line, its path, the rule.
struct ReportFinding {
    std::wstring file;
    unsigned line = 0;
    std::wstring path, rule, message, fix;
};

class RunReport {
public:
    RunReport();
    std::wstring model, host, language, mode; // mode: "generate", "dry-run", "check", "diff", "lint"
    std::vector<std::wstring> classes, components;
    std::vector<ReportFile> files;
    std::vector<ReportMessage> messages;
    std::vector<ReportFinding> findings;

    void Message(const std::wstring& kind, const std::wstring& text);
    void Time(const char* step); // the time since the previous step (or the start)

    // Writes the document; false when the file cannot be written.
    bool Write(const std::wstring& path, int exitCode) const;

private:
    std::chrono::steady_clock::time_point m_start, m_last;
    std::vector<std::pair<std::string, double>> m_timings; // milliseconds
};

} // namespace VexloCli
