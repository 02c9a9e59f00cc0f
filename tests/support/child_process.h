// A real program run by a test: started through the platform's one child starter, in a process
// group of its own (as a shell starts a foreground job, so that a signal to the group is the
// terminal's Ctrl-C) that the kernel ends should the test die, with its standard error in a file.
#pragma once

#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <utility>
#include <vector>

using Environment = std::vector<std::pair<std::string, std::string>>;

class ChildProcess {
public:
    // Runs `argv` (the program's path first) in `workDir`, with the test's environment changed by
    // `env` (an empty value unsets; later entries win), every signal at its default action
    // whatever the test runner ignores, and its standard error in workDir/stderr.txt.
    ChildProcess(const std::vector<std::string>& argv, const std::string& workDir, const Environment& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits up to timeoutMs; true once the process has ended and been reaped.
    bool waitForExit(int timeoutMs);
    // The same, returning status() once it has ended and -1 while it runs.
    int wait(int timeoutMs) { return waitForExit(timeoutMs) ? status_ : -1; }
    bool running() { return !waitForExit(0); }

    // The status a shell reports: the exit status, or 128 + the signal that ended it; -1 while the
    // process has not been waited for.
    int status() const { return status_; }
    pid_t pid() const { return pid_; } // -1 once the process has been waited for

    // Sends `signalNumber` to the process, or to its whole group (a terminal's Ctrl-C), while it
    // has not been waited for; never to -1, which would reach every process.
    void signal(int signalNumber, bool group = false) const;

    // Wall-clock milliseconds since the start.
    int elapsedMs() const;

    // What it wrote to standard error (at most 1 MiB).
    std::string standardError() const;

    // Processor seconds the process used in all (its threads and the children it waited for),
    // once it has been waited for.
    double cpuSeconds() const;

private:
    pid_t pid_ = -1;
    int status_ = -1;
    rusage usage_{};
    std::string errorsPath_;
    double startMs_ = 0;
};

// Bytes of a small file, read with a bound (/proc files, the test's own outputs): a FIFO or a
// device at `path` is never waited on.
std::string readBounded(const std::string& path, std::size_t limit = 1 << 20);
