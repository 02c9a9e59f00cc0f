// A private Xvfb and child processes for the end-to-end tests.
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
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        const std::string fd = std::to_string(fds[1]);
        // -noreset: without it the server resets whenever its last client leaves, as each
        // xwininfo poll before the show connects does, and refuses connections meanwhile.
        std::vector<const char*> args = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                                         "-nolisten", "tcp", "-noreset"};
        if (!fontPath.empty())
            args.insert(args.end(), {"-fp", fontPath.c_str()});
        for (const std::string& argument : extraArguments)
            args.push_back(argument.c_str());
        args.push_back(nullptr);
        execvp("Xvfb", const_cast<char* const*>(args.data()));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number to the pipe once it accepts connections.
    char number[32] = {};
    std::size_t got = 0;
    ssize_t n;
    while (got < sizeof number - 1 && (n = read(fds[0], number + got, sizeof number - 1 - got)) > 0) {
        got += std::size_t(n);
        if (std::strchr(number, '\n'))
            break;
    }
    close(fds[0]);
    if (got > 0)
        display_ = ":" + std::string(number, std::strcspn(number, "\n"));
}

PrivateXServer::~PrivateXServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

std::string PrivateXServer::run(const std::string& command) const
{
    return runCommand("DISPLAY=" + display_ + " " + command + " 2>/dev/null").output;
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

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
                           const std::vector<std::pair<std::string, std::string>>& env)
{
    stderrPath_ = workDir + "/stderr.txt";
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(workDir.c_str()) != 0)
            _exit(126);
        // The program starts as from a terminal, whatever the test runner ignores or blocks: a
        // shell's background job, for one, ignores SIGINT, and so would the child.
        for (int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE})
            signal(s, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (const auto& [name, value] : env) {
            if (value.empty())
                unsetenv(name.c_str());
            else
                setenv(name.c_str(), value.c_str(), 1);
        }
        const int err = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 0);
        dup2(devNull, 1);
        dup2(err, 2);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool ChildProcess::waitForExit(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pid_ > 0) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            signal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            pid_ = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        sleepMs(10);
    }
    return true;
}

bool ChildProcess::running()
{
    return !waitForExit(0);
}

std::string ChildProcess::standardError() const
{
    return readWholeFile(stderrPath_);
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
