// Stop signals for the programs that write files and start children (showcap, makedata): a stop
// asked for by a signal ends the run with its cleanup, and the status the signal would have given.
#pragma once

#include <csignal>
#include <mutex>

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
