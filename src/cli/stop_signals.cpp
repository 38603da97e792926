#include "cli/stop_signals.h"

#include "files/passed_signals.h"
#include "files/unfinished_files.h"

#include <csignal>
#include <iterator>
#include <pthread.h>
#include <unistd.h>

namespace StopSignals {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

// Ends after the block at hand: the output is discarded or, once put in place, kept whole.
constexpr int kStopping[] = {SIGHUP,    SIGINT,  SIGTERM, SIGPIPE, SIGUSR1, SIGUSR2,  SIGALRM,
                             SIGVTALRM, SIGPROF, SIGXCPU, SIGIO,   SIGPWR,  SIGSTKFLT};
// Ends at once: the program cannot, or is not meant to, go on.
constexpr int kAtOnce[] = {SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS};

extern "C" void NoteStop(int signal, siginfo_t* info, void*)
{
    // The kernel's own SIGXFSZ, which it sends in the process's name as a plain kill, goes with
    // a write that fails with EFBIG, and that is reported. One the formatting thread took from
    // the process and passed on to this thread comes in the process's name too, but by thread:
    // the user sent it, and it stops the run.
    if (signal == SIGXFSZ && info != nullptr && info->si_code == SI_USER
        && info->si_pid == ::getpid())
        return;
    stopSignal = signal;
}

extern "C" void EndAtOnce(int signal, siginfo_t* info, void*);

void InstallEndAtOnce(int signal)
{
    struct sigaction atOnce {};
    atOnce.sa_sigaction = EndAtOnce;
    // A second fault inside the handler takes the default at once.
    atOnce.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_NODEFER;
    sigemptyset(&atOnce.sa_mask);
    ::sigaction(signal, &atOnce, nullptr);
}

extern "C" void EndAtOnce(int signal, siginfo_t* info, void*)
{
    // Sent, not a fault of this program's own (those have a positive code): during a rewrite in
    // place it waits until the file is whole, and is raised again then.
    if (info != nullptr && info->si_code <= 0 && UnfinishedFiles::DeferEnd(signal)) {
        InstallEndAtOnce(signal);
        return;
    }
    UnfinishedFiles::RemoveAllFromSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool IgnoredAtStart(int signal)
{
    struct sigaction current {};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

sigset_t StoppingSet()
{
    sigset_t set{};
    sigemptyset(&set);
    for (const int signal : kStopping)
        sigaddset(&set, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        sigaddset(&set, signal);
    sigaddset(&set, SIGXFSZ);
    return set;
}

}  // namespace

void PassOn(pthread_t to)
{
    PassOnPending(to, StoppingSet());
}

Blocked::Blocked()
{
    const sigset_t stopping = StoppingSet();
    pthread_sigmask(SIG_BLOCK, &stopping, &previous_);
}

Blocked::~Blocked()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void Install()
{
    struct sigaction note {};
    note.sa_sigaction = NoteStop;
    // No SA_RESTART: a blocked read or write returns, so the stop is seen at once.
    note.sa_flags = SA_SIGINFO;
    sigemptyset(&note.sa_mask);
    const auto install = [&](int signal, const struct sigaction& action) {
        if (!IgnoredAtStart(signal))
            ::sigaction(signal, &action, nullptr);
    };
    for (const int signal : kStopping)
        install(signal, note);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        install(signal, note);
    install(SIGXFSZ, note);
    for (const int signal : kAtOnce)
        if (!IgnoredAtStart(signal))
            InstallEndAtOnce(signal);
}

bool KeepGoing()
{
    return stopSignal == 0;
}

void EndAsStopped()
{
    const int signal = stopSignal;
    if (signal == 0)
        return;
    UnfinishedFiles::RemoveAll();
    std::signal(signal, SIG_DFL);
    sigset_t only{};
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
}

}  // namespace StopSignals
