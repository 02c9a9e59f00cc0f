// Child processes: the one way the programs, the benchmarks and the tests start one (a program,
// or a function of the parent's run in a forked copy), wait for it and end it; and the programs
// found on PATH.
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Makes sure the process may hold `needed` open files at once, raising its soft limit toward the
// hard one when it is lower; false with a one-line reason when the hard limit is too low (a
// program started with fewer would fail in odd ways: Xvfb without its descriptors flooded the
// terminal with its complaints).
bool allowOpenFiles(int needed, std::string& error);

// The full path of `program` found on PATH, or empty.
std::string findProgram(const std::string& program);

// A child started in a process group of its own, so that a terminal's Ctrl-C reaches only its
// parent, which then ends it; the kernel sends it `deathSignal` if the parent dies first, even
// by SIGKILL.
struct ChildSetup {
    std::vector<std::string> argv;    // program path first
    int deathSignal = 0;              // SIGKILL, or SIGTERM for a program that cleans up after itself
    int input = -1;                   // standard input; -1: /dev/null
    int output = -1;                  // standard output; -1: /dev/null
    int errors = -1;                  // standard error; -1: /dev/null
    std::vector<int> passedFiles;     // handed on as descriptors 3, 4, ... in this order
    std::string workDir;              // the child's working directory; empty: the parent's
    // Changes to the parent's environment for the child: a variable set, or unset when its value
    // is empty. Later entries win.
    std::vector<std::pair<std::string, std::string>> environment;
    // Signals a program starts with at their default action, whatever the parent ignores (a
    // shell's background job ignores SIGINT): as though started from a terminal.
    bool defaultSignals = false;
    // When set, the child runs this instead of a program, in a copy of the parent with its
    // descriptors as they are, and ends with what it returns: for work that must not hold up or
    // take down the parent (a modal notice, a connection to a display that may not answer).
    std::function<int()> body;
};

// Starts the child; -1 with errno set when it cannot be. A program that cannot be run, or whose
// descriptors cannot be set up (too few allowed), ends the child with status 127 without running;
// one whose working directory cannot be entered, with 126. Call with runLock() held in a program
// that ends its run on a stop, so that the child is recorded before an ending looks.
pid_t startChild(const ChildSetup& setup);

// An anonymous in-memory file for a child's standard error, holding its first 64 KiB at most: a
// child that floods its messages costs no more memory than that. -1 with errno set.
int openMessagesFile();

// The last non-empty line in a messages file (what a child wrote to its standard error there),
// read from the last 4 KiB written at most; empty if none.
std::string lastLine(int fd);

// Waits for the child to end and reaps it (under runLock(), setting `child` to -1), returning its
// wait status (-1 if it cannot be waited for). When a stop is asked for meanwhile, the child's
// group is sent SIGKILL first, so the wait stays short.
int waitForChild(pid_t& child);

// Reaps the child if it has ended, without waiting: true then, with its wait status in `status`
// and, when `usage` is given, the processor time it and its waited-for children used.
struct rusage;
bool reapIfEnded(pid_t child, int& status, struct rusage* usage = nullptr);

// The status a shell reports for a wait status: the exit status, or 128 + the ending signal.
int shellStatus(int waitStatus);

// Ends the child's process group with `signal`, giving it up to `graceMs` to go before SIGKILL,
// and reaps the child.
void stopChild(pid_t child, int signal, int graceMs);
