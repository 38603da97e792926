#pragma once

// How formatting without a window meets the signals whose default would end it.
//
// A signal ignored when the program started (nohup, a background shell's SIGINT) stays ignored.
// Any other that ends a program (a hang-up, an interrupt, SIGTERM, SIGPIPE, SIGUSR1, SIGALRM,
// SIGXCPU, the real-time signals, ...) is noted and stops the reading and writing at the next
// block or blocked call, so the output file is left as it was; the program then ends as that
// signal ends it. A fault (SIGSEGV, SIGABRT, ...) and SIGQUIT end it at once, after removing
// the unfinished output file. SIGXFSZ sent by the kernel for a file-size limit is ignored, so
// the write fails with "File too large" instead; sent by kill, it stops the program as the
// others do.
#include <csignal>
#include <pthread.h>

namespace StopSignals {

void Install();
// False once a stopping signal has arrived.
bool KeepGoing();
// Ends the program as the signal that stopped it would have; returns only when none did.
void EndAsStopped();

// Sends the stopping signals waiting on this thread, which blocks them, to the thread that
// takes them: they were sent to this thread alone, by its own id. A SIGXFSZ passed on looks like
// the kernel's own, so it is left to the write that fails.
void PassOn(pthread_t to);

// While it lives, the stopping signals are blocked in this thread, and so in every thread it
// starts: those threads leave the signals to the one that reads and writes, whose blocked calls
// they must interrupt.
class Blocked {
public:
    Blocked();
    ~Blocked();
    Blocked(const Blocked&) = delete;
    Blocked& operator=(const Blocked&) = delete;

private:
    sigset_t previous_{};
};

}  // namespace StopSignals
