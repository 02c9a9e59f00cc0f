// Stop signals through sigaction: a handler that notes the stop, and a thread that ends the run.
#include "platform/stop_signals.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
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
