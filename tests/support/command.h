// A shell command run from a test: its exit status and everything it wrote to standard output.
#pragma once

#include <string>

struct CommandResult {
    int status = -1; // the exit status; -1 when it could not run or was ended by a signal
    std::string output;
};

CommandResult runCommand(const std::string& command);
