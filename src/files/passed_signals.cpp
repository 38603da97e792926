#include "files/passed_signals.h"

#include <ctime>

void PassOnPending(pthread_t to, const sigset_t& which)
{
    const timespec now{};
    for (;;) {
        const int signal = ::sigtimedwait(&which, nullptr, &now);
        if (signal <= 0)
            return;
        ::pthread_kill(to, signal);
    }
}
