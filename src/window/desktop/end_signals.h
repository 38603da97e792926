#pragma once

#include <QObject>

#include <csignal>
#include <iterator>

class Desktop;
class QSocketNotifier;

// A logout (SIGHUP), a closed terminal or Ctrl+C in it (SIGINT), and SIGTERM end the program as
// closing the window does: a save under way leaves no temporary file and the old file as it
// was. The handler only notes the signal in a pipe; the window's event loop reads it and ends
// the program at its next turn, so a rewrite in place, which never yields, always finishes
// first. A signal that was ignored when the program started (nohup) stays ignored.
class EndSignals {
public:
    explicit EndSignals(Desktop& desktop);
    ~EndSignals();
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

private:
    Desktop* desktop_;
    int readEnd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[std::size(kSignals)]{};
};
