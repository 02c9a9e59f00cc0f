// A private Xvfb for the end-to-end tests, and the X tools run against it.
#include "support/x_session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

PrivateXServer::PrivateXServer(int width, int height, const std::string& fontPath,
                               const std::vector<std::string>& extraArguments)
{
    PrivateDisplaySetup setup;
    setup.screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    // Any local client: the X tools the tests run look at its windows and type into them.
    setup.admitThisProcessOnly = false;
    setup.fontPath = fontPath;
    setup.arguments = extraArguments;
    std::string error;
    if (!startPrivateDisplay(setup, server_, error))
        std::fprintf(stderr, "%s\n", error.c_str());
}

PrivateXServer::~PrivateXServer()
{
    stopPrivateDisplay(server_);
}

std::string PrivateXServer::run(const std::string& command) const
{
    return runCommand("DISPLAY=" + server_.display + " " + command + " 2>/dev/null").output;
}

std::vector<std::string> PrivateXServer::windowsNamed(const std::string& name) const
{
    // Lines look like:  0x200001 "name": ("res" "class")  1280x1024+0+0  +0+0
    std::vector<std::string> ids;
    std::istringstream lines(run("xwininfo -root -children"));
    const std::string quoted = "\"" + name + "\"";
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(quoted);
        if (at == std::string::npos || line.compare(at + quoted.size(), 1, ":") != 0)
            continue;
        std::istringstream words(line);
        std::string id;
        words >> id;
        ids.push_back(id);
    }
    return ids;
}

std::string PrivateXServer::windowSize(const std::string& window) const
{
    std::istringstream lines(run("xwininfo -id " + window));
    std::string width, height;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("  Width: ") == 0)
            width = line.substr(9);
        else if (line.find("  Height: ") == 0)
            height = line.substr(10);
    }
    return width + "x" + height;
}

std::string PrivateXServer::windowGeometry(const std::string& window) const
{
    std::istringstream lines(run("xwininfo -id " + window));
    std::string x, y, width, height;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("  Absolute upper-left X: ") == 0)
            x = line.substr(25);
        else if (line.find("  Absolute upper-left Y: ") == 0)
            y = line.substr(25);
        else if (line.find("  Width: ") == 0)
            width = line.substr(9);
        else if (line.find("  Height: ") == 0)
            height = line.substr(10);
    }
    const auto trimmed = [](const std::string& value) { return value.substr(std::min(value.size(), value.find_first_not_of(' '))); };
    return trimmed(width) + "x" + trimmed(height) + "+" + trimmed(x) + "+" + trimmed(y);
}

bool PrivateXServer::waitForWindowGeometry(const std::string& window, const std::string& geometry,
                                           int timeoutMs) const
{
    return waitUntil([&] { return windowGeometry(window) == geometry; }, timeoutMs);
}

std::string PrivateXServer::waitForWindow(const std::string& name, int timeoutMs) const
{
    for (int waited = 0;; waited += 50) {
        const std::vector<std::string> ids = windowsNamed(name);
        if (!ids.empty())
            return ids.front();
        if (waited >= timeoutMs)
            return {};
        sleepMs(50);
    }
}

bool PrivateXServer::waitForWindowSize(const std::string& window, const std::string& size, int timeoutMs) const
{
    for (int waited = 0;; waited += 50) {
        if (windowSize(window) == size)
            return true;
        if (waited >= timeoutMs)
            return false;
        sleepMs(50);
    }
}

bool PrivateXServer::dismissWindow(const std::string& name, const std::string& window, const std::string& key,
                                   int timeoutMs) const
{
    const std::string mark = "SHOW_TEST_DISMISSED";
    run("xprop -id " + window + " -f " + mark + " 8s -set " + mark + " yes");
    run("xdotool key --window " + window + " " + key);
    for (int waited = 0;; waited += 50) {
        const std::vector<std::string> ids = windowsNamed(name);
        if (std::find(ids.begin(), ids.end(), window) == ids.end())
            return true;
        if (run("xprop -id " + window + " " + mark).find("yes") == std::string::npos)
            return true;
        if (waited >= timeoutMs)
            return false;
        sleepMs(50);
    }
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    // The fields after the command name, which is in parentheses and may hold spaces.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            user = std::stoull(field);
        if (i == 15)
            system = std::stoull(field);
    }
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        sleepMs(20);
    }
}

bool waitForFileSize(const std::string& path, long long bytes, int timeoutMs)
{
    return waitUntil(
        [&] {
            struct stat st {};
            return stat(path.c_str(), &st) == 0 && (long long)st.st_size >= bytes;
        },
        timeoutMs);
}
