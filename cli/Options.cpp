#include "Options.h"

#include "Console.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

namespace VexloCli {

namespace {

const wchar_t* const kUsage =
    LR"(Usage: vexlo <command> [options]

Commands:
  generate MODEL.mdl   run code generation through the Vexlo add-in, as Rose does
  show MODEL.mdl       print packages, classes and components with their languages,
                       assignments and output paths (--properties: and each one's
                       Delphi and C# properties, those that differ from the defaults first;
                       --members: each class's attributes and operations)
  register [MODULE]    register the add-in module (default: the one beside vexlo)
                       and print the registry keys it wrote
  unregister [MODULE]  unregister it and print what is left
  lint MODEL.mdl       report the model settings that give code the Delphi or C#
                       compilers reject (exit code 1 when there are findings)
  diff OLD.mdl NEW.mdl what a model change means, element by element; or
  diff --git REV [MODEL.mdl]  against the model of a git revision (exit code 1
                       when the design changed): --format text|markdown|json,
                       --pictures DIR, --code, --path-map (see docs/REVIEW.md)
  diagram MODEL.mdl    write each diagram of the model as SVG (or PNG) and a
                       browsable index.html: --out DIR (required),
                       --format svg|png, --diagram NAME (one diagram only)
  reverse MODEL.mdl    read the declarations edited in the generated files back into
                       the model, then generate again (docs/REVERSE.md); takes
                       generate's options and --prune (remove from the model what
                       the code no longer declares); --dry-run prints the model
                       changes, --check exits 1 when there are any, --diff shows
                       the model file's diff
                       --format svg|png, --diagram NAME (one diagram only),
                       --scale N (size of the pictures: 1 = 100 %, up to 8)

Options of generate, show and lint (--path-map and --codepage also of diagram and diff):
  --path-map SYMBOL=DIR   virtual path symbol for this run (repeatable)
  --codepage N            code page of the model file and of the generated files
  --language Delphi|C#    give every component this language; classes without a
                          component get one component per logical package
  --out DIR               "Directory" of the model for both tools: output under DIR

Options of generate:
  --class NAME            select a class ("Pkg::Sub::Name" allowed; repeatable)
  --component NAME        select a component ("Subsystem::Name" allowed; repeatable)
                          (default: every component of language Delphi or C#);
                          also an option of lint
  --host rose|modeler     the host the add-in sees: Rational Rose (default) or
                          Visual Modeler
  --menu                  use the context-menu item "Generate Code" (CODEGEN)
  --trace-host            print host events: modules, callbacks, results, menu items
  --strict-zones          fail (exit code 5) when user text of a preserved zone had
                          to be saved to a recovery file (<file>.vxlost)
  --prune-stale           remove files the last run generated that no component writes
                          any more (their zones are saved to <file>.vxlost first)
  --dry-run               write nothing; print what each file would become (create,
                          replace, unchanged) and where zones would be carried or saved
  --check                 as --dry-run, but exit 1 when any file would be created or
                          changed (a CI gate)
  --diff                  print a unified diff of each file that would change (writes
                          nothing; combines with --check)
  --report FILE.json      write a JSON report of the run (files, zones, warnings, exit code);
                          also an option of lint (its findings)
  --line-ends crlf|lf|keep
                          line ends of the generated files (default keep: those the
                          file has, or its .gitattributes "eol"; see docs/CLI.md)
  --encoding ansi|utf-8|keep
                          text of the generated files: the ANSI code page, or UTF-8
                          with a byte-order mark (default keep: as the file is)
  --type-map FILE|cpp|java  rewrite the model's type texts for Delphi and C# before
                          the add-in reads them (lines "model type = language type");
                          also an option of show and lint

Options of lint:
  --known-types FILE      type names your libraries declare, one a line
  --format text|sarif     findings as lines (default) or as SARIF 2.1.0 on standard output
  --fail MEMBER=HRESULT[:TIMES]
                          make a host member fail (testing aid), e.g.
                          --fail IRoseModel.GetSelectedClasses=0x80004005

  --help, --version

Exit codes: 0 ok, 1 generation or host error, 2 usage error, 3 model load error,
4 add-in could not be loaded or registered, 5 an old file's preserved zones cannot
be read safely (nothing written), or user text was saved to a recovery file
with --strict-zones. Under --check and lint, 1 means files differ / findings and a
failure exits 6 instead.)";

[[noreturn]] void Usage(const std::wstring& message)
{
    throw CliError(ExitUsage, message + L" (see vexlo --help)");
}

long ParseNumber(const std::wstring& text, const std::wstring& option, bool allowNegative)
{
    if (text.empty())
        Usage(L"missing number for " + option);
    errno = 0;
    wchar_t* end = nullptr;
    long long value = std::wcstoll(text.c_str(), &end, 0);
    if (errno != 0 || !end || *end != 0 || (!allowNegative && value < 0) || value > 0xFFFFFFFFll ||
        value < -0x80000000ll)
        Usage(L"not a number for " + option + L": " + text);
    return static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

std::pair<std::wstring, std::wstring> SplitAssignment(const std::wstring& text, const std::wstring& option)
{
    size_t eq = text.find(L'=');
    if (eq == std::wstring::npos || eq == 0)
        Usage(option + L" expects NAME=VALUE, got: " + text);
    return {text.substr(0, eq), text.substr(eq + 1)};
}

} // namespace

Options ParseOptions(const std::vector<std::wstring>& args)
{
    Options options;
    if (args.empty())
        Usage(L"no command given");

    size_t i = 0;
    const std::wstring& first = args[0];
    if (first == L"--help" || first == L"-h" || first == L"help") {
        options.command = Command::Help;
        return options;
    }
    if (first == L"--version") {
        options.command = Command::Version;
        return options;
    }
    if (first == L"generate")
        options.command = Command::Generate;
    else if (first == L"show")
        options.command = Command::Show;
    else if (first == L"register")
        options.command = Command::Register;
    else if (first == L"unregister")
        options.command = Command::Unregister;
    else if (first == L"lint")
        options.command = Command::Lint;
    else if (first == L"diagram")
        options.command = Command::Diagram;
    else if (first == L"reverse")
        options.command = Command::Reverse;
    else if (first == L"diff")
        options.command = Command::Diff;
    else
        Usage(L"unknown command: " + first);
    ++i;

    const bool lint = options.command == Command::Lint;
    const bool diagram = options.command == Command::Diagram;
    const bool reverse = options.command == Command::Reverse;
    const bool diffCommand = options.command == Command::Diff;
    const bool modelCommand = options.command == Command::Generate || options.command == Command::Show || lint ||
                              diagram || reverse || diffCommand;
    if (diffCommand)
        options.format = L"text";
    // reverse takes generate's options: it generates too.
    const bool generate = options.command == Command::Generate || reverse;
    bool havePath = false;

    for (; i < args.size(); ++i) {
        std::wstring arg = args[i];
        if (arg == L"--help" || arg == L"-h") {
            options.command = Command::Help;
            return options;
        }
        if (arg.size() < 2 || arg.compare(0, 2, L"--") != 0) {
            if (havePath && diffCommand) {
                options.more.push_back(arg);
                continue;
            }
            if (havePath)
                Usage(L"unexpected argument: " + arg);
            options.path = arg;
            havePath = true;
            continue;
        }
        // --name value or --name=value
        std::wstring name = arg;
        std::wstring value;
        bool inlineValue = false;
        size_t eq = arg.find(L'=');
        if (eq != std::wstring::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        auto takeValue = [&]() -> std::wstring {
            if (inlineValue)
                return value;
            if (i + 1 >= args.size())
                Usage(L"missing value for " + name);
            return args[++i];
        };
        auto requireFlag = [&] {
            if (inlineValue)
                Usage(name + L" takes no value");
        };

        if (modelCommand && name == L"--path-map") {
            auto [symbol, dir] = SplitAssignment(takeValue(), name);
            if (!symbol.empty() && symbol[0] == L'$')
                symbol.erase(0, 1);
            if (symbol.empty())
                Usage(L"empty symbol in --path-map");
            options.pathMap.emplace_back(symbol, dir);
        } else if (diffCommand && (name == L"--git" || name == L"--pictures")) {
            (name == L"--git" ? options.gitRevision : options.pictures) = takeValue();
            if ((name == L"--git" ? options.gitRevision : options.pictures).empty())
                Usage(name + L" needs a value");
        } else if (diffCommand && name == L"--format") {
            options.format = takeValue();
            if (options.format != L"text" && options.format != L"markdown" && options.format != L"json")
                Usage(L"--format must be text, markdown or json, got: " + options.format);
        } else if (diffCommand && name == L"--code") {
            requireFlag();
            options.code = true;
        } else if (modelCommand && name == L"--codepage") {
            long cp = ParseNumber(takeValue(), name, false);
            if (cp <= 0 || cp > 65535)
                Usage(L"--codepage must be a code page number");
            options.codePage = static_cast<unsigned>(cp);
        } else if (modelCommand && !diffCommand && name == L"--language") {
            options.language = takeValue();
            if (options.language != L"Delphi" && options.language != L"C#")
                Usage(L"--language must be Delphi or C#, got: " + options.language);
        } else if (modelCommand && !diffCommand && name == L"--out") {
            options.outDir = takeValue();
            if (options.outDir.empty())
                Usage(L"--out needs a folder");
        } else if (diagram && name == L"--format") {
            options.format = takeValue();
            if (options.format != L"svg" && options.format != L"png")
                Usage(L"--format must be svg or png, got: " + options.format);
        } else if (options.command == Command::Show && name == L"--properties") {
            options.properties = true;
        } else if (options.command == Command::Show && name == L"--members") {
            options.members = true;
        } else if (diagram && name == L"--scale") {
            const std::wstring value = takeValue();
            wchar_t* end = nullptr;
            const double scale = std::wcstod(value.c_str(), &end);
            if (value.empty() || !end || *end || !(scale >= 0.1 && scale <= 8))
                Usage(L"--scale must be a number from 0.1 to 8, got: " + value);
            options.scale = scale;
        } else if (lint && name == L"--format") {
            options.format = takeValue();
            if (options.format != L"text" && options.format != L"sarif")
                Usage(L"--format of lint must be text or sarif, got: " + options.format);
        } else if ((generate || lint || options.command == Command::Show) && name == L"--type-map") {
            options.typeMap = takeValue();
            if (options.typeMap.empty())
                Usage(L"--type-map needs a file, or cpp or java");
        } else if (lint && name == L"--known-types") {
            options.knownTypes = takeValue();
            if (options.knownTypes.empty())
                Usage(L"--known-types needs a file");
        } else if (diagram && name == L"--diagram") {
            options.diagramName = takeValue();
        } else if (generate && name == L"--class") {
            options.classes.push_back(takeValue());
        } else if ((generate || lint) && name == L"--component") {
            options.components.push_back(takeValue());
        } else if (generate && name == L"--host") {
            std::wstring host = takeValue();
            if (host == L"rose")
                options.host = HostKind::Rose;
            else if (host == L"modeler")
                options.host = HostKind::Modeler;
            else
                Usage(L"--host must be rose or modeler, got: " + host);
            options.hostGiven = true;
        } else if (generate && name == L"--menu") {
            requireFlag();
            options.menu = true;
        } else if (generate && name == L"--dry-run") {
            requireFlag();
            options.dryRun = true;
        } else if (generate && name == L"--check") {
            requireFlag();
            options.check = true;
        } else if (generate && name == L"--diff") {
            requireFlag();
            options.diff = true;
        } else if ((generate || lint) && name == L"--report") {
            options.report = takeValue();
            if (options.report.empty())
                Usage(L"--report needs a file name");
        } else if (reverse && name == L"--prune") {
            requireFlag();
            options.prune = true;
        } else if (generate && name == L"--line-ends") {
            options.lineEnds = takeValue();
            if (options.lineEnds != L"crlf" && options.lineEnds != L"lf" && options.lineEnds != L"keep")
                Usage(L"--line-ends must be crlf, lf or keep, got: " + options.lineEnds);
        } else if (generate && name == L"--encoding") {
            options.encoding = takeValue();
            if (options.encoding != L"ansi" && options.encoding != L"utf-8" && options.encoding != L"keep")
                Usage(L"--encoding must be ansi, utf-8 or keep, got: " + options.encoding);
        } else if (generate && name == L"--strict-zones") {
            requireFlag();
            options.strictZones = true;
        } else if (generate && name == L"--prune-stale") {
            requireFlag();
            options.pruneStale = true;
        } else if (generate && name == L"--trace-host") {
            requireFlag();
            options.traceHost = true;
        } else if (generate && name == L"--fail") {
            auto [member, rest] = SplitAssignment(takeValue(), name);
            FailureOption failure;
            failure.member = member;
            size_t colon = rest.find(L':');
            failure.hresult = ParseNumber(rest.substr(0, colon), name, true);
            if (colon != std::wstring::npos)
                failure.times = static_cast<int>(ParseNumber(rest.substr(colon + 1), name, false));
            options.failures.push_back(failure);
        } else {
            Usage(L"unknown option for " + first + L": " + name);
        }
    }

    if (diffCommand && options.gitRevision.empty() && options.more.size() != 1 && options.more.size() != 6)
        Usage(L"diff needs two models (OLD.mdl NEW.mdl) or --git REV [MODEL.mdl]");
    if (diffCommand && !options.gitRevision.empty() && !options.more.empty())
        Usage(L"diff --git REV takes one model at most");
    if (lint && options.format == L"svg")
        options.format = L"text";
    if (options.check && options.dryRun)
        Usage(L"--check and --dry-run are alternatives: --check is --dry-run with an exit code for differences");
    if (modelCommand && !havePath && !(diffCommand && !options.gitRevision.empty()))
        Usage(first + L" needs a model file");
    if (diagram && options.outDir.empty())
        Usage(L"diagram needs --out DIR");
    if (reverse && options.dryRun && options.check)
        Usage(L"reverse takes --dry-run or --check, not both");
    return options;
}

bool GivesVerdict(const Options& options)
{
    return options.command == Command::Lint ||
           ((options.command == Command::Generate || options.command == Command::Reverse) && options.check);
}

std::wstring UsageText() { return kUsage; }

std::wstring VersionText() { return L"vexlo " + ArgumentText(VEXLO_VERSION); }

std::wstring HostImagePath(HostKind host)
{
    if (host == HostKind::Rose)
        return L"C:\\Program Files\\Rational\\Rose\\rose.exe";
    return L"C:\\Program Files\\Microsoft Visual Studio\\Common\\Tools\\VS-Ent98\\Vmodeler\\vm.exe";
}

} // namespace VexloCli
