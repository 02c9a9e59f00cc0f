// A shell command run from a test (/bin/sh -c): its exit status and everything it wrote to standard
// output; what it writes to standard error goes to the test's.
#pragma once

#include <string>

struct CommandResult {
    int status = -1; // the exit status; -1 when it could not run or was ended by a signal
    std::string output;
};

CommandResult runCommand(const std::string& command);

// The lines of a program's output: its newlines.
int lineCount(const std::string& text);

// The name showcap gives frame `frame` of a run: frame_NNNNNN.png.
std::string frameName(int frame);
