// The command line of the vexlo tool.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace VexloCli {

enum class Command { Help, Version, Generate, Show, Register, Unregister, Lint, Diagram, Reverse, Diff };

enum class HostKind { Rose, Modeler };

// --fail MEMBER=HRESULT[:TIMES]: a host member that fails (a testing aid).
struct FailureOption {
    std::wstring member;
    long hresult = 0;
    int times = -1; // every call
};

struct Options {
    Command command = Command::Help;
    std::wstring path;                   // the model (generate, show, lint) or the module (register)
    std::vector<std::wstring> classes;   // --class
    std::vector<std::wstring> components; // --component
    HostKind host = HostKind::Rose;
    bool hostGiven = false;
    std::vector<std::pair<std::wstring, std::wstring>> pathMap; // symbol without '$' -> folder
    unsigned codePage = 0;               // 0: the ANSI code page
    std::wstring language;               // --language ("" = keep the model's)
    std::wstring outDir;                 // --out ("" = keep the model's "Directory")
    bool menu = false;                   // --menu: go through the context menu
    bool traceHost = false;              // --trace-host
    bool strictZones = false;            // --strict-zones
    bool pruneStale = false;             // --prune-stale
    bool dryRun = false;                 // --dry-run
    bool check = false;                  // --check
    bool diff = false;                   // --diff
    bool prune = false;                  // reverse --prune
    bool members = false;                // show --members: each class's attributes and operations
    bool properties = false;             // show --properties: each element's Delphi and C# properties
    std::wstring report;                 // --report FILE.json
    std::wstring lineEnds = L"keep";     // --line-ends crlf|lf|keep
    std::wstring encoding = L"keep";     // --encoding ansi|utf-8|keep
    std::vector<FailureOption> failures; // --fail
    std::wstring format = L"svg";        // diagram --format svg|png; lint --format text|sarif
    std::wstring typeMap;                // --type-map FILE|cpp|java ("" = none)
    std::wstring knownTypes;             // lint --known-types FILE ("" = none)
    std::wstring diagramName;            // diagram --diagram NAME ("" = every diagram)
    std::vector<std::wstring> more;      // diff: the models after the first (git passes seven arguments)
    std::wstring gitRevision;            // diff --git REV
    std::wstring pictures;               // diff --pictures DIR
    bool code = false;                   // diff --code
    double scale = 1;                    // diagram --scale N: the pictures' size, 1 = as the modeling tool shows them at 100 %
};

// Throws CliError (ExitUsage) for a bad command line.
Options ParseOptions(const std::vector<std::wstring>& args);

// generate --check, reverse --check and lint: commands whose exit code 1 means "changes found" (see
// ProcessExitCode).
bool GivesVerdict(const Options& options);

std::wstring UsageText();
std::wstring VersionText();

// The executable path that the host poses as.
std::wstring HostImagePath(HostKind host);

} // namespace VexloCli
