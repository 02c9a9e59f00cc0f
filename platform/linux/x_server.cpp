// The X display through Xlib, and the private X server: Xvfb started, admitted to and ended.
#include "platform/x_server.h"

#include "platform/children.h"
#include "platform/clock.h"
#include "platform/stop_signals.h"
#include "platform/whole_files.h"

#include <X11/Xlib.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char cookieName[] = "MIT-MAGIC-COOKIE-1";
constexpr int cookieBytes = 16;
constexpr int startTimeoutMs = 30000;
constexpr int stopGraceMs = 3000;
// How long a display may take to accept a connection before it counts as not answering.
constexpr double displayAnswerMs = 5000;

void appendCounted(std::vector<std::uint8_t>& out, const void* data, std::size_t size)
{
    out.push_back(std::uint8_t(size >> 8));
    out.push_back(std::uint8_t(size));
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// One authority entry for any address and display number (family "wild", empty address and
// number), in the file format Xvfb's -auth reads.
std::vector<std::uint8_t> authorityEntry(const std::uint8_t* cookie)
{
    std::vector<std::uint8_t> entry = {0xFF, 0xFF};
    appendCounted(entry, "", 0);
    appendCounted(entry, "", 0);
    appendCounted(entry, cookieName, sizeof cookieName - 1);
    appendCounted(entry, cookie, cookieBytes);
    return entry;
}

// The display number Xvfb writes once it takes connections; empty if it ends first, the time runs
// out or a stop is asked for.
std::string readDisplayNumber(int ready)
{
    std::string number;
    for (int waited = 0; waited < startTimeoutMs && stopSignal() == 0;) {
        pollfd watch{ready, POLLIN, 0};
        const int polled = poll(&watch, 1, 100);
        waited += 100;
        if (polled <= 0)
            continue;
        char buffer[16];
        const ssize_t got = read(ready, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {};
        number.append(buffer, std::size_t(got));
        const std::size_t end = number.find('\n');
        if (end != std::string::npos)
            return number.substr(0, end);
        if (number.size() > 8)
            return {};
    }
    return {};
}

} // namespace

Display* connectToDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return nullptr;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr))
            return display;
        usleep(50000);
    }
    return nullptr;
}

DisplayAnswer checkDisplay()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return DisplayAnswer::none;
    ChildSetup setup;
    setup.deathSignal = SIGKILL;
    setup.body = [] { return connectToDisplay() ? 0 : 1; };
    const pid_t probe = startChild(setup);
    if (probe < 0) {
        Display* display = connectToDisplay();
        if (display)
            XCloseDisplay(display);
        return display ? DisplayAnswer::answers : DisplayAnswer::none;
    }
    const double deadline = monotonicMs() + displayAnswerMs;
    for (;;) {
        int status = 0;
        if (waitpid(probe, &status, WNOHANG) == probe)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? DisplayAnswer::answers : DisplayAnswer::none;
        const bool stopping = stopSignal() != 0;
        if (stopping || monotonicMs() > deadline) {
            kill(probe, SIGKILL);
            waitpid(probe, &status, 0);
            return stopping ? DisplayAnswer::stopped : DisplayAnswer::silent;
        }
        usleep(10000);
    }
}

bool startPrivateDisplay(const PrivateDisplaySetup& setup, PrivateDisplay& display, std::string& error)
{
    const std::string xvfb = findProgram("Xvfb");
    if (xvfb.empty()) {
        error = "no X display, and no Xvfb to start a private one: install xvfb, or set DISPLAY";
        return false;
    }
    const bool admitting = setup.admitThisProcessOnly;
    std::uint8_t cookie[cookieBytes];
    if (admitting && getrandom(cookie, sizeof cookie, 0) != ssize_t(sizeof cookie)) {
        error = std::string("cannot make a key for a private X server: ") + std::strerror(errno);
        return false;
    }
    int authority = -1;
    if (admitting) {
        const std::vector<std::uint8_t> entry = authorityEntry(cookie);
        authority = memfd_create("showcap-xauthority", MFD_CLOEXEC);
        if (authority >= 0 && !writeAll(authority, entry.data(), entry.size())) {
            close(authority);
            authority = -1;
        }
    }
    const int messages = openMessagesFile();
    int ready[2] = {-1, -1};
    const bool prepared = (!admitting || authority >= 0) && messages >= 0 && pipe2(ready, O_CLOEXEC) == 0;

    ChildSetup child;
    // Handed on as descriptors 3, 4, ...: the authority file when admitting, then the pipe the
    // display number comes back through.
    const std::string readyFd = admitting ? "4" : "3";
    child.argv = {xvfb, "-displayfd", readyFd};
    if (admitting)
        child.argv.insert(child.argv.end(), {"-auth", "/proc/self/fd/3"});
    child.argv.insert(child.argv.end(), {"-nolisten", "tcp", "-noreset", "-screen", "0", setup.screen});
    if (!setup.fontPath.empty())
        child.argv.insert(child.argv.end(), {"-fp", setup.fontPath});
    child.argv.insert(child.argv.end(), setup.arguments.begin(), setup.arguments.end());
    child.deathSignal = SIGTERM;
    child.errors = messages;
    if (admitting)
        child.passedFiles.push_back(authority);
    child.passedFiles.push_back(ready[1]);
    pid_t server = -1;
    int failure = errno;
    if (prepared) {
        const std::lock_guard<std::recursive_mutex> hold(runLock());
        server = startChild(child);
        failure = errno;
        display.server = server;
    }
    for (int fd : {authority, ready[1]})
        if (fd >= 0)
            close(fd);
    if (server < 0) {
        error = std::string("no X display, and a private one could not be started: ") + std::strerror(failure);
        for (int fd : {messages, ready[0]})
            if (fd >= 0)
                close(fd);
        return false;
    }
    const std::string number = readDisplayNumber(ready[0]);
    close(ready[0]);
    if (number.empty()) {
        stopPrivateDisplay(display);
        if (stopSignal() != 0) {
            error = "interrupted";
        } else {
            const std::string said = lastLine(messages);
            error = "no X display, and the private one (Xvfb) did not start" + (said.empty() ? "" : ": " + said);
        }
        close(messages);
        return false;
    }
    close(messages);
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    display.display = ":" + number;
    if (admitting) {
        setenv("DISPLAY", display.display.c_str(), 1);
        XSetAuthorization(const_cast<char*>(cookieName), int(sizeof cookieName - 1),
                          reinterpret_cast<char*>(cookie), cookieBytes);
    }
    return true;
}

void stopPrivateDisplay(PrivateDisplay& display)
{
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    if (display.server > 0)
        stopChild(display.server, SIGTERM, stopGraceMs);
    display = PrivateDisplay{};
}
