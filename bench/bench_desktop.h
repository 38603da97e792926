#pragma once

#include "window/desktop/desktop.h"

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

class Form1;

// A desktop for benchmarks: every box is answered at once (OK, Yes, the scripted names), yields
// let window events run as the real desktop's do, and the longest stretch without a yield is
// measured.
class BenchDesktop final : public Desktop {
public:
    BenchDesktop();

    void resetGaps();

    // What the file dialogs answer.
    QString openAnswer;
    QString saveAnswer;
    double longestGapMs() const { return static_cast<double>(longestGapNs_) / 1e6; }
    int messages() const { return messages_; }

    MsgResult messageBox(const QString& text, const QString& title, MsgIcon icon,
                         MsgButtons buttons) override;
    QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
    OpenFileResult openFileDialog(const FileDialogSettings&) override
    {
        return {openAnswer, false};
    }
    QString saveFileDialog(const FileDialogSettings&) override { return saveAnswer; }
    bool tryClearClipboard() override { return true; }
    bool trySetClipboardText(const QByteArray&) override { return true; }
    int pointerScreenY() override { return 0; }
    void yield() override;
    void openUrl(const QUrl&) override {}
    int secondsSinceMidnight() override { return 0; }
    void seedRandom(unsigned) override {}
    double randomFraction() override { return 0.0; }
    void endProgram() override {}

private:
    QElapsedTimer sinceYield_;
    qint64 longestGapNs_ = 0;
    int messages_ = 0;
};

// The longest stretch without window events: a timer on the window's thread ticks every 2 ms
// while the watch runs, and the longest time between two ticks is kept. Everything that holds
// the event loop counts, repaints included.
class EventGapWatch {
public:
    EventGapWatch();
    // Lets pending events run, then starts watching.
    void start();
    // Lets pending events run (the repaints an operation left behind count towards its gap),
    // stops, and returns the longest stretch in milliseconds.
    double stop();

private:
    void tick();

    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 longestNs_ = 0;
};

// The window as the figures start from: the two sample rules, and an empty phone list.
void KeepOnlySampleRules(Form1& form);

// Runs the operation, watching window events meanwhile; returns its wall time in milliseconds
// and raises longestGapMs to the operation's longest stretch without events if that is longer.
double TimeWatchingEvents(EventGapWatch& watch, double& longestGapMs,
                          const std::function<void()>& operation);

// Peak resident memory of this process so far, in megabytes.
double PeakResidentMegabytes();
