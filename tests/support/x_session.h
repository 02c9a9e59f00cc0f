// End-to-end test support: a private X server, a program started in it, and the X tools that
// look at its windows and type into them.
#pragma once

#include "support/command.h"
#include "support/temp_folder.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// An Xvfb of its own, so that tests running side by side never share windows or input.
class PrivateXServer {
public:
    // `fontPath`, when given, replaces the server's font path (e.g. "built-ins": only the
    // fonts compiled into the server); `extraArguments` go to Xvfb as they are (e.g.
    // {"-extension", "GLX"}: a server without OpenGL).
    PrivateXServer(int width, int height, const std::string& fontPath = {},
                   const std::vector<std::string>& extraArguments = {});
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool running() const { return pid_ > 0 && !display_.empty(); }
    pid_t pid() const { return pid_; } // e.g. to stop the server with SIGSTOP, as a frozen one
    const std::string& display() const { return display_; }

    // Runs a shell command with DISPLAY set to this server; returns its standard output.
    std::string run(const std::string& command) const;

    // Windows whose name matches exactly, as X window ids, from `xwininfo -root -children`.
    std::vector<std::string> windowsNamed(const std::string& name) const;

    // "WIDTHxHEIGHT" of a window, from xwininfo.
    std::string windowSize(const std::string& window) const;

    // "WIDTHxHEIGHT+X+Y" of a window, X and Y its inside's top-left corner on the screen (xwininfo's
    // absolute upper-left corner).
    std::string windowGeometry(const std::string& window) const;

    // True once `window`'s geometry is `geometry`, polled for up to timeoutMs.
    bool waitForWindowGeometry(const std::string& window, const std::string& geometry, int timeoutMs) const;

    // The first window named `name`, polled for up to timeoutMs; empty if none appeared.
    std::string waitForWindow(const std::string& name, int timeoutMs) const;

    // True once `window` measures `size` ("WIDTHxHEIGHT"), polled for up to timeoutMs.
    bool waitForWindowSize(const std::string& window, const std::string& size, int timeoutMs) const;

    // Presses `key` once in `window` and waits up to timeoutMs for it to go; true once no window
    // named `name` is that window. The server hands a gone client's window ids to the next
    // client, so the window is marked first: one that reappears under the id unmarked is new.
    bool dismissWindow(const std::string& name, const std::string& window, const std::string& key,
                       int timeoutMs) const;

private:
    pid_t pid_ = -1;
    std::string display_;
};

// How long a show asked to end (a key, a signal) may take to be gone. It takes a fraction of a
// second, but a loaded machine and the sanitizers' leak check at exit stretch that many times
// over, and the bound is there to tell "ended" from "did not end", not to time it. Every run
// that waits on it is far from the show's own end (or holds the show's clock), so an end that
// came by itself does not pass for one.
constexpr int promptExitMs = 20000;

// A child process with its own working directory and extra environment; standard error goes
// to a file the test can read.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
                 const std::vector<std::pair<std::string, std::string>>& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits up to timeoutMs; true once the process has ended, with its exit status (-1 if it
    // was ended by a signal, which terminatingSignal then names; 0 otherwise).
    bool waitForExit(int timeoutMs);
    bool running();
    int exitStatus() const { return status_; }
    int terminatingSignal() const { return signal_; }
    pid_t pid() const { return pid_; } // -1 once the process has been waited for
    std::string standardError() const;

private:
    pid_t pid_ = -1;
    int status_ = -1;
    int signal_ = 0;
    std::string stderrPath_;
};

std::string readWholeFile(const std::string& path);

// The CPU time process `pid` has used so far, user and system, in seconds.
double cpuSeconds(pid_t pid);
void sleepMs(int ms);

// Polls `done` until it holds or `timeoutMs` of wall-clock time have passed; true if it held.
// Tests wait for an event this way (a window, a file's growth, a process's end), never for a
// fixed time.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// True once the file at `path` holds at least `bytes` bytes, polled for up to timeoutMs: e.g. the
// disk audio driver's file, which grows at the sound's real-time pace while the show plays.
bool waitForFileSize(const std::string& path, long long bytes, int timeoutMs);
