// vexlo: the command-line host of the Vexlo add-in (see docs/CLI.md).
#include "Commands.h"
#include "Console.h"
#include "DiagramCommand.h"
#include "DiffCommand.h"
#include "Options.h"
#include "lint/RunLint.h"
#include "reverse/ReverseRun.h"

#include "vxplat/Heap.h"

#include <new>
#include <vector>

int main(int argc, char** argv)
{
    using namespace VexloCli;
    VxpKeepHeapForTheRun();
    bool verdict = false; // a usage error before the options are known stays 2
    try {
        std::vector<std::wstring> args;
        for (int i = 1; i < argc; ++i)
            args.push_back(ArgumentText(argv[i]));
        Options options = ParseOptions(args);
        verdict = GivesVerdict(options);
        Installation installation = FindInstallation();
        switch (options.command) {
        case Command::Help:
            OutLine(UsageText());
            return ExitOk;
        case Command::Version:
            OutLine(VersionText());
            return ExitOk;
        case Command::Generate:
            return ProcessExitCode(RunGenerate(options, installation), verdict);
        case Command::Show:
            return RunShow(options, installation);
        case Command::Register:
            return RunRegister(options, installation, false);
        case Command::Unregister:
            return RunRegister(options, installation, true);
        case Command::Lint:
            return ProcessExitCode(RunLint(options, installation), verdict);
        case Command::Diagram:
            return RunDiagram(options, installation);
        case Command::Reverse:
            return ProcessExitCode(RunReverse(options, installation), verdict);
        case Command::Diff:
            return RunDiff(options, installation);
        }
        return ExitOk;
    } catch (const CliError& error) {
        ErrLine(L"vexlo: " + error.Message());
        return ProcessExitCode(error.ExitCode(), verdict);
    } catch (const std::bad_alloc&) {
        ErrLine(L"vexlo: out of memory");
        return ProcessExitCode(ExitHostError, verdict);
    } catch (const std::exception& error) {
        ErrLine(L"vexlo: " + ArgumentText(error.what()));
        return ProcessExitCode(ExitHostError, verdict);
    }
}
