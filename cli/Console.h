// Console side of the command-line host: exit codes, the one error type that ends a
// command, text conversion for arguments and output, and the message-box takeover.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace VexloCli {

enum ExitCode : int {
    ExitOk = 0,
    ExitHostError = 1,   // a callback failed, or the host could not do its part
    ExitUsage = 2,       // bad command line, or names that match nothing
    ExitModelLoad = 3,   // the model (or a property or unit file) could not be read
    ExitAddinLoad = 4,   // the add-in could not be found, registered, loaded or created
    ExitUserText = 5,    // an old file's preserved zones cannot be read safely, or (with
                         // --strict-zones) user text went to a recovery file
    ExitVerdictFailure = 6, // what ExitHostError becomes under a verdict command
    // Internal: a verdict command's "differences" or "findings". Commands whose 1 means
    // "changes found" (generate --check, lint) return it rather than 1; ProcessExitCode
    // turns it into 1 and their failures into 6, so that a CI script reading 1 as
    // "out of date" never mistakes a broken run for one.
    ExitDifferences = 0x100,
};

// The code the process exits with (and the report shows) for a command's result. A
// verdict command is one whose 1 means "changes found" (generate --check, lint).
int ProcessExitCode(int code, bool verdictCommand);

// Ends the command: main prints the message to standard error and exits with the code.
class CliError : public std::runtime_error {
public:
    CliError(int exitCode, const std::wstring& message);
    int ExitCode() const noexcept { return m_exitCode; }
    const std::wstring& Message() const noexcept { return m_message; }

private:
    int m_exitCode;
    std::wstring m_message;
};

// A command-line argument as wide text: UTF-8 when it is valid UTF-8, else the ANSI
// code page.
std::wstring ArgumentText(const char* arg);
// Wide text to UTF-8 for the console and for narrow file names.
std::string Narrow(const std::wstring& text);

// One line to standard output / standard error (a line end is added), flushed at once so
// that host events, log lines and errors keep their order.
void OutLine(const std::wstring& line);
void ErrLine(const std::wstring& line);
// "vexlo: warning: ..." to standard error.
void Warn(const std::wstring& message);

// Every warning is also handed to this observer (the run's report); nullptr ends it.
void ObserveWarnings(std::function<void(const std::wstring&)> observer);

// Message boxes of the add-in go to standard error as "[Caption] text" and are answered
// with their default button.
void TakeOverMessageBoxes();
// The button a message box of this style answers by default (IDOK, IDYES, ...).
int DefaultButton(unsigned style);

// "text" in double quotes, as model values are shown.
std::wstring Quoted(const std::wstring& text);

// "a, b, c", or "-" for none.
std::wstring Names(const std::vector<std::wstring>& names);

// Hexadecimal, eight digits: "0x80004005".
std::wstring HexCode(long code);

} // namespace VexloCli
