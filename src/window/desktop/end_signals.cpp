#include "window/desktop/end_signals.h"

#include "window/desktop/desktop.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe's end the handler writes to; set before the handlers are installed and cleared after
// they are removed.
volatile std::sig_atomic_t writeEnd = -1;

extern "C" void NoteSignal(int number)
{
    // Only async-signal-safe work here: one write, errno kept for the code it interrupted.
    const int saved = errno;
    const auto byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t wrote = ::write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

EndSignals::EndSignals(Desktop& desktop) : desktop_(&desktop)
{
    int ends[2] = {-1, -1};
    // Non-blocking: a burst of signals that fills the pipe must not stop the handler.
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // the signals keep their usual effect
    readEnd_ = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read);
    QObject::connect(notifier_, &QSocketNotifier::activated, notifier_, [this] {
        char noted[64];
        bool reading = true;
        while (reading)
            reading = ::read(readEnd_, noted, sizeof noted) > 0;  // empties the pipe
        desktop_->endProgram();
    });
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        ::sigaction(kSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN)
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

EndSignals::~EndSignals()
{
    if (readEnd_ < 0)
        return;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    delete notifier_;
    ::close(writeEnd);
    writeEnd = -1;
    ::close(readEnd_);
}
