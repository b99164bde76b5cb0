// The command line of the vexlo tool.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace VexloCli {

enum class Command { Help, Version, Generate, Show, Register, Unregister, Lint, Diagram };

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
    bool dryRun = false;                 // --dry-run
    bool check = false;                  // --check
    bool diff = false;                   // --diff
    std::wstring report;                 // --report FILE.json
    std::vector<FailureOption> failures; // --fail
    std::wstring format = L"svg";        // diagram --format svg|png; lint --format text|sarif
    std::wstring typeMap;                // --type-map FILE|cpp|java ("" = none)
    std::wstring knownTypes;             // lint --known-types FILE ("" = none)
    std::wstring diagramName;            // diagram --diagram NAME ("" = every diagram)
};

// Throws CliError (ExitUsage) for a bad command line.
Options ParseOptions(const std::vector<std::wstring>& args);

// generate --check and lint: commands whose exit code 1 means "changes found" (see
// ProcessExitCode).
bool GivesVerdict(const Options& options);

std::wstring UsageText();
std::wstring VersionText();

// The executable path that the host poses as.
std::wstring HostImagePath(HostKind host);

} // namespace VexloCli
