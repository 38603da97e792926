#pragma once

#include <csignal>
#include <pthread.h>

// For a thread that leaves signals to another: it blocks them, and passes on those sent to it
// alone, by its own id. Sends each signal of `which` that waits on the calling thread to the
// thread `to`, which must still be there. The receiver sees this program as the sender.
void PassOnPending(pthread_t to, const sigset_t& which);
