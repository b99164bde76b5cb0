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
    unsigned firstChange = 0; // the first line of the old file that the new text changes (1 for a new file)
};

// Kinds: "warning", "error"; what the run does or would do to a file: "create", "replace",
// "stale" (under --check: the checked-in file is not what the model generates), "carry"
// (a zone follows its element), "save" (text goes to a recovery file); "finding" (lint).
struct ReportMessage {
    std::wstring kind;
    std::wstring text;
    std::wstring file;     // "" when the message names none
    unsigned line = 0;
    unsigned column = 0;
};

// A JSON string literal of the text (UTF-8, escaped).
std::string JsonText(const std::wstring& text);

// A path as the report and lint write it: relative to the current folder when below it,
// else absolute; "/" separated either way.
std::wstring ReportPath(const std::wstring& path);

// The first line (1-based) where two texts differ; 1 when there is no old text.
unsigned FirstChangedLine(const std::string* old, const std::string& now);

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
    unsigned codePage = 0; // of the generated files (and of --diff's text); 0: not known (lint)
    std::vector<std::wstring> classes, components;
    std::vector<ReportFile> files;
    std::vector<ReportMessage> messages;
    std::vector<ReportFinding> findings;

    // A warning or error; the file, line and column are read from its "FILE:LINE[:COLUMN]: "
    // or "PATH: " start.
    void Message(const std::wstring& kind, const std::wstring& text);
    void Entry(const std::wstring& kind, const std::wstring& text, const std::wstring& file, unsigned line);
    void Time(const char* step); // the time since the previous step (or the start)

    // Writes the document; false when the file cannot be written.
    bool Write(const std::wstring& path, int exitCode) const;

private:
    std::chrono::steady_clock::time_point m_start, m_last;
    std::vector<std::pair<std::string, double>> m_timings; // milliseconds
};

struct CarriedZone;
struct RecoveryEntry;

// An entry per file the run changes (create, replace; "stale" under --check), per zone
// carried and per text saved to a recovery file, each with its file and line.
void AddRunEntries(RunReport& report, bool check, const std::vector<CarriedZone>& carried,
                   const std::vector<RecoveryEntry>& saved);

} // namespace VexloCli
