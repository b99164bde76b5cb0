// Running another program (git, for the old version of a model) and taking its output.
#pragma once

#include <string>
#include <vector>

// Runs args[0] (a path, or a name found on the PATH) with the other arguments (UTF-8), and
// waits for it. Its standard output is appended to `output`; its standard error goes
// where the caller's goes, or into `output` too with `withErrors`. The exit code, or -1
// when the program could not be started.
int VxpRunProgram(const std::vector<std::string>& args, std::string& output, bool withErrors = false);
