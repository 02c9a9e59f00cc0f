// Test children through the platform's starter (platform/children.h).
#include "support/child_process.h"

#include "platform/children.h"
#include "platform/clock.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& workDir, const Environment& env)
    : errorsPath_(workDir + "/stderr.txt")
{
    const int errors = open(errorsPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    ChildSetup setup;
    setup.argv = argv;
    setup.workDir = workDir;
    setup.environment = env;
    setup.errors = errors;
    setup.deathSignal = SIGKILL;
    setup.defaultSignals = true;
    startMs_ = monotonicMs();
    if (errors >= 0) {
        pid_ = startChild(setup);
        close(errors);
    }
}

ChildProcess::~ChildProcess()
{
    if (pid_ > 0)
        stopChild(pid_, SIGKILL, 0);
}

bool ChildProcess::waitForExit(int timeoutMs)
{
    const double deadline = monotonicMs() + timeoutMs;
    while (pid_ > 0) {
        int waitStatus = 0;
        if (reapIfEnded(pid_, waitStatus, &usage_)) {
            pid_ = -1;
            status_ = shellStatus(waitStatus);
            break;
        }
        if (monotonicMs() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ChildProcess::signal(int signalNumber, bool group) const
{
    if (pid_ > 0)
        kill(group ? -pid_ : pid_, signalNumber);
}

int ChildProcess::elapsedMs() const
{
    return int(monotonicMs() - startMs_);
}

std::string ChildProcess::standardError() const
{
    return readBounded(errorsPath_);
}

double ChildProcess::cpuSeconds() const
{
    return double(usage_.ru_utime.tv_sec + usage_.ru_stime.tv_sec) +
           double(usage_.ru_utime.tv_usec + usage_.ru_stime.tv_usec) / 1e6;
}

std::string readBounded(const std::string& path, std::size_t limit)
{
    std::string text;
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[65536];
    ssize_t n;
    while (text.size() < limit && (n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, std::size_t(n));
    close(fd);
    return text;
}
