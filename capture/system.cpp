// The operating system's side of the capture programs: signals, writes, PATH, children, X.
#include "capture/system.h"

#include "capture/output_files.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
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

namespace {

// Every signal whose default is to end the process and that can be caught: each ends a run with
// its cleanup. (SIGPIPE and SIGXFSZ are ignored instead: a failed write says why.)
constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2,
                               SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU};

volatile std::sig_atomic_t requestedStop = 0;
// The stop's wake-up call to the ending's thread: the handler writes a byte, the thread reads it.
int stopPipe[2] = {-1, -1};
void (*stopEnding)() = nullptr;

constexpr off_t messagesLimit = 64 * 1024;

void noteStop(int signalNumber)
{
    requestedStop = signalNumber;
    if (stopPipe[1] >= 0) {
        const int saved = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = write(stopPipe[1], &byte, 1);
        errno = saved;
    }
}

void* waitForStop(void*)
{
    char byte;
    while (read(stopPipe[0], &byte, 1) < 0 && errno == EINTR) {
    }
    stopEnding();
    return nullptr;
}

sigset_t stopSignalSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : stopSignals)
        sigaddset(&set, signalNumber);
    return set;
}

void killGroup(pid_t child, int signalNumber)
{
    kill(-child, signalNumber);
    kill(child, signalNumber);
}

} // namespace

void catchStopSignals()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = noteStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : stopSignals) {
        // A signal ignored when the program started stays ignored: nohup ignores SIGHUP, and a
        // shell's background job SIGINT and SIGQUIT, so that they outlive the terminal.
        struct sigaction inherited {};
        if (sigaction(signalNumber, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
            continue;
        sigaction(signalNumber, &action, nullptr);
    }
}

int stopSignal()
{
    return requestedStop;
}

void endByStopSignal()
{
    const int signalNumber = requestedStop;
    if (signalNumber == 0)
        return;
    std::fflush(stderr);
    std::signal(signalNumber, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signalNumber);
    _exit(128 + signalNumber);
}

void endOnStop(void (*ending)())
{
    if (stopEnding || pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    // The reading end waits; only the writing end, the handler's, must never block.
    fcntl(stopPipe[0], F_SETFL, 0);
    stopEnding = ending;
    const StopSignalsHeld held; // the thread starts with them held, and keeps them so
    pthread_t thread;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (pthread_create(&thread, &attributes, waitForStop, nullptr) != 0)
        stopEnding = nullptr;
    pthread_attr_destroy(&attributes);
    if (requestedStop != 0) // a stop that came before the thread listened
        noteStop(requestedStop);
}

std::recursive_mutex& runLock()
{
    static std::recursive_mutex lock;
    return lock;
}

StopSignalsHeld::StopSignalsHeld()
{
    const sigset_t set = stopSignalSet();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

StopSignalsHeld::~StopSignalsHeld()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool writeAll(int fd, const void* data, std::size_t size)
{
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        if (requestedStop != 0) {
            errno = EINTR;
            return false;
        }
        const ssize_t written = write(fd, next, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        next += written;
        size -= std::size_t(written);
    }
    return true;
}

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
    constexpr int mostPassed = 16;
    const int passed = int(setup.passedFiles.size());
    if (passed > mostPassed) {
        errno = EINVAL;
        return -1;
    }
    const int* files = setup.passedFiles.data();
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
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);

    // Each descriptor is first copied above the numbers being filled, so that none is
    // overwritten before it has been copied.
    const int spare = 3 + passed;
    const int devNull = open("/dev/null", O_RDWR);
    const int input = fcntl(setup.input >= 0 ? setup.input : devNull, F_DUPFD, spare);
    const int errors = fcntl(setup.errors >= 0 ? setup.errors : devNull, F_DUPFD, spare);
    const int output = fcntl(devNull, F_DUPFD, spare);
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
        if (requestedStop != 0 && !killed) {
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
