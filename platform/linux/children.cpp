// Child processes through fork and exec, process groups and the parent-death signal.
#include "platform/children.h"

#include "platform/output_files.h"
#include "platform/stop_signals.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr off_t messagesLimit = 64 * 1024;

void killGroup(pid_t child, int signalNumber)
{
    kill(-child, signalNumber);
    kill(child, signalNumber);
}

// The parent's environment with `changes` made: a variable set, or unset by an empty value.
std::vector<std::string> changedEnvironment(const std::vector<std::pair<std::string, std::string>>& changes)
{
    std::map<std::string, std::string> variables;
    std::vector<std::string> order;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string name = text.substr(0, equals);
        if (variables.emplace(name, text.substr(equals + 1)).second)
            order.push_back(name);
    }
    for (const auto& [name, value] : changes) {
        if (!variables.count(name))
            order.push_back(name);
        variables[name] = value;
    }
    std::vector<std::string> environment;
    for (const std::string& name : order)
        if (!variables[name].empty())
            environment.push_back(name + "=" + variables[name]);
    return environment;
}

} // namespace

bool allowOpenFiles(int needed, std::string& error)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= rlim_t(needed))
        return true;
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= rlim_t(needed)) {
        limit.rlim_cur = rlim_t(needed);
        if (setrlimit(RLIMIT_NOFILE, &limit) == 0)
            return true;
    }
    error = "too few open files allowed: the limit (ulimit -n) is " + std::to_string(limit.rlim_max) +
            ", and at least " + std::to_string(needed) + " are needed";
    return false;
}

std::string findProgram(const std::string& program)
{
    // Looked up once, before the capture changes directory, and kept as an absolute path: an
    // empty or relative element of PATH names a folder relative to where the user started the
    // program, never the data folder it later works in.
    static std::map<std::string, std::string> found;
    const auto known = found.find(program);
    if (known != found.end())
        return known->second;
    std::string& result = found[program];
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = absolutePath(end > start ? folders.substr(start, end - start) : ".");
        const std::string candidate = folder + "/" + program;
        struct stat info;
        if (!folder.empty() && stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            result = candidate;
            break;
        }
        start = end + 1;
    }
    return result;
}

pid_t startChild(const ChildSetup& setup)
{
    // Everything the child needs is made before the fork: between fork and exec a process with
    // threads (Mesa's) may only make async-signal-safe calls, so no allocation there.
    std::vector<char*> argv;
    for (const std::string& word : setup.argv)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const bool changesEnvironment = !setup.environment.empty();
    std::vector<std::string> environment;
    std::vector<char*> envp;
    if (changesEnvironment) {
        environment = changedEnvironment(setup.environment);
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
    }
    constexpr int mostPassed = 16;
    const int passed = int(setup.passedFiles.size());
    if (passed > mostPassed || (!setup.body && argv.size() < 2)) {
        errno = EINVAL;
        return -1;
    }
    const int* files = setup.passedFiles.data();
    const char* workDir = setup.workDir.empty() ? nullptr : setup.workDir.c_str();
    const pid_t parent = getpid();

    const pid_t child = fork();
    if (child != 0) {
        if (child > 0)
            setpgid(child, child); // also here, so that the group exists before fork returns
        return child;
    }
    setpgid(0, 0);
    if (setup.deathSignal != 0)
        prctl(PR_SET_PDEATHSIG, setup.deathSignal);
    if (getppid() != parent) // the parent died before the request took hold
        _exit(1);
    if (setup.body)
        _exit(setup.body());
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    if (setup.defaultSignals)
        for (int signalNumber : {SIGINT, SIGQUIT, SIGTERM, SIGHUP})
            std::signal(signalNumber, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    if (workDir && chdir(workDir) != 0)
        _exit(126);

    // Each descriptor is first copied above the numbers being filled, so that none is
    // overwritten before it has been copied.
    const int spare = 3 + passed;
    const int devNull = open("/dev/null", O_RDWR);
    const int input = fcntl(setup.input >= 0 ? setup.input : devNull, F_DUPFD, spare);
    const int errors = fcntl(setup.errors >= 0 ? setup.errors : devNull, F_DUPFD, spare);
    const int output = fcntl(setup.output >= 0 ? setup.output : devNull, F_DUPFD, spare);
    int moved[mostPassed];
    bool ready = devNull >= 0 && input >= 0 && errors >= 0 && output >= 0;
    for (int i = 0; i < passed; ++i) {
        moved[i] = fcntl(files[i], F_DUPFD, spare);
        ready = ready && moved[i] >= 0;
    }
    // Without its descriptors (too few allowed) the program would run writing its messages to the
    // parent's standard error, or reading what it should not: it does not run.
    if (!ready)
        _exit(127);
    dup2(input, STDIN_FILENO);
    dup2(output, STDOUT_FILENO);
    dup2(errors, STDERR_FILENO);
    for (int i = 0; i < passed; ++i)
        dup2(moved[i], 3 + i);
    close_range(unsigned(spare), ~0U, 0);
    if (changesEnvironment)
        execve(argv[0], argv.data(), envp.data());
    else
        execv(argv[0], argv.data());
    _exit(127);
}


int openMessagesFile()
{
    // Sized to the limit and sealed against growing: a write past it fails. The child's messages
    // end where the shared file offset is.
    const int fd = memfd_create("showcap-messages", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd >= 0 && (ftruncate(fd, messagesLimit) != 0 || fcntl(fd, F_ADD_SEALS, F_SEAL_GROW | F_SEAL_SHRINK) != 0)) {
        const int failure = errno;
        close(fd);
        errno = failure;
        return -1;
    }
    return fd;
}

std::string lastLine(int fd)
{
    const off_t end = fd >= 0 ? lseek(fd, 0, SEEK_CUR) : -1;
    if (end <= 0)
        return {};
    const off_t length = std::min<off_t>(end, 4096);
    std::string text(std::size_t(length), '\0');
    const ssize_t got = pread(fd, text.data(), text.size(), end - length);
    text.resize(got > 0 ? std::size_t(got) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    const std::size_t lineStart = text.find_last_of("\r\n");
    return lineStart == std::string::npos ? text : text.substr(lineStart + 1);
}

int waitForChild(pid_t& child)
{
    // Waited for without being reaped, and then reaped with the lock held: an ending that stops
    // the child meanwhile never signals a number the system has handed on.
    bool killed = false;
    siginfo_t info{};
    while (waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR)
            return -1;
        if (stopSignal() != 0 && !killed) {
            killGroup(child, SIGKILL);
            killed = true;
        }
    }
    const std::lock_guard<std::recursive_mutex> hold(runLock());
    int status = 0;
    if (child <= 0 || waitpid(child, &status, 0) != child)
        status = -1;
    child = -1;
    return status;
}

bool reapIfEnded(pid_t child, int& status, struct rusage* usage)
{
    if (child <= 0)
        return false;
    int waited = 0;
    if (wait4(child, &waited, WNOHANG, usage) != child)
        return false;
    status = waited;
    return true;
}

int shellStatus(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : -1;
}

void stopChild(pid_t child, int signalNumber, int graceMs)
{
    if (child <= 0)
        return;
    killGroup(child, signalNumber);
    // The child is waited for without being reaped, so that its process group keeps its number
    // while whatever it started and left behind in the group is ended too.
    siginfo_t info{};
    for (int waited = 0;; waited += 10) {
        info.si_pid = 0;
        if (waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno != EINTR)
            return;
        if (info.si_pid == child)
            break;
        if (waited >= graceMs) {
            killGroup(child, SIGKILL);
            while (waitid(P_PID, id_t(child), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
            }
            break;
        }
        usleep(10000);
    }
    kill(-child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}
