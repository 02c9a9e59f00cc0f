// What the capture programs and the benchmarks ask of the operating system: the monotonic clock,
// stop requests, whole writes, programs on PATH, child processes that end with their parent, and
// the X display connection.
#pragma once

#include <csignal>
#include <cstddef>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <time.h>
#include <vector>

typedef struct _XDisplay Display;

// Milliseconds since an arbitrary start, from the monotonic clock (CLOCK_MONOTONIC, so that
// figures taken in different processes compare). Inline: the benchmarks' preloaded shim uses it
// without linking anything.
inline double monotonicMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// ---- stop requests ----

// SIGINT, SIGTERM, SIGHUP and every other catchable signal that would end the process (SIGQUIT,
// SIGUSR1, SIGALRM, ...) then ask the program to stop instead of ending it: stopSignal() tells
// which came. One that was ignored when the program started (nohup, a background job) stays
// ignored. They interrupt a blocked system call (no SA_RESTART), so that a write to a stalled
// pipe or a wait for a child notices; a second one ends the process at once. SIGPIPE and SIGXFSZ
// are ignored, so that a failed write says why instead.
void catchStopSignals();

// The signal that asked to stop, or 0.
int stopSignal();

// Ends the process as the stop signal would have (status 128 + signal), once everything is taken
// away. Returns only when no stop was asked for.
void endByStopSignal();

// Holds the stop signals while a scope runs, for work that must not be cut in half (a file
// between its creation and its rename); one that came meanwhile acts when the scope ends.
class StopSignalsHeld {
public:
    StopSignalsHeld();
    ~StopSignalsHeld();
    StopSignalsHeld(const StopSignalsHeld&) = delete;
    StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

private:
    sigset_t previous_;
};

// Starts a thread of its own that runs `ending` as soon as a stop is asked for, whatever the
// program's own thread is doing (waiting inside an X call on a display that froze, drawing a
// frame that takes seconds): `ending` takes the run's output away and ends the process. The
// thread holds the stop signals, so that they still interrupt the program's own thread.
void endOnStop(void (*ending)());

// Held while the program records or releases what a run has made (a child started or reaped, a
// file created, renamed into place or removed), and by the ending of a stopped run, which never
// lets it go: so the ending sees each thing either not yet made or recorded. Recursive, so that an
// ending entered while it is held (a fatal X error) goes on.
std::recursive_mutex& runLock();

// ---- files and programs ----

// Writes all `size` bytes, resuming after partial writes and interruptions, unless a stop has been
// asked for. False with errno set (EINTR when stopped).
bool writeAll(int fd, const void* data, std::size_t size);

// Makes sure the process may hold `needed` open files at once, raising its soft limit toward the
// hard one when it is lower; false with a one-line reason when the hard limit is too low (a
// program started with fewer would fail in odd ways: Xvfb without its descriptors flooded the
// terminal with its complaints).
bool allowOpenFiles(int needed, std::string& error);

// The full path of `program` found on PATH, or empty.
std::string findProgram(const std::string& program);

// ---- child processes ----

// A child started in a process group of its own, so that a terminal's Ctrl-C reaches only its
// parent, which then ends it; the kernel sends it `deathSignal` if the parent dies first, even
// by SIGKILL.
struct ChildSetup {
    std::vector<std::string> argv;    // program path first
    int deathSignal = 0;              // SIGKILL, or SIGTERM for a program that cleans up after itself
    int input = -1;                   // standard input; -1: /dev/null
    int errors = -1;                  // standard error; -1: /dev/null (standard output always is)
    std::vector<int> passedFiles;     // handed on as descriptors 3, 4, ... in this order
};

// Starts the child; -1 with errno set when it cannot be. A program that cannot be run, or whose
// descriptors cannot be set up (too few allowed), ends the child with status 127 without running.
// Call with runLock() held, so that the child is recorded before an ending looks.
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

// Ends the child's process group with `signal`, giving it up to `graceMs` to go before SIGKILL,
// and reaps the child.
void stopChild(pid_t child, int signal, int graceMs);

// ---- the X display ----

// A connection to the display named by DISPLAY, or null. An X server resets whenever its last
// client leaves and refuses connections meanwhile (as a parallel test run can hit), so a refusal
// is tried again for up to a second.
Display* connectToDisplay();
