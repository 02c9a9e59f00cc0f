// End-to-end test support: a private X server, a program started in it, and the X tools that
// look at its windows and type into them.
#pragma once

#include "platform/x_server.h"
#include "support/child_process.h"
#include "support/command.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
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

    bool running() const { return server_.server > 0 && !server_.display.empty(); }
    pid_t pid() const { return server_.server; } // e.g. to stop the server with SIGSTOP, as a frozen one
    const std::string& display() const { return server_.display; }

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
    PrivateDisplay server_;
};

// A test suite whose runs all share one private X server of Width x Height, started once.
template <int Width, int Height>
class SharedXServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<PrivateXServer>(Width, Height); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(server && server->running()) << "Xvfb did not start";
        ASSERT_FALSE(folder.path().empty());
    }

    std::string path(const std::string& name) const { return folder.path() + "/" + name; }

    static inline std::unique_ptr<PrivateXServer> server;
    TempFolder folder; // the test's own working folder
};

// How long a show asked to end (a key, a signal) may take to be gone. It takes a fraction of a
// second, but a loaded machine and the sanitizers' leak check at exit stretch that many times
// over, and the bound is there to tell "ended" from "did not end", not to time it. Every run
// that waits on it is far from the show's own end (or holds the show's clock), so an end that
// came by itself does not pass for one.
constexpr int promptExitMs = 20000;

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
