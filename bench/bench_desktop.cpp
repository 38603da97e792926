#include "bench_desktop.h"

#include "window/form1.h"

#include <QCoreApplication>

#include <algorithm>
#include <sys/resource.h>

BenchDesktop::BenchDesktop()
{
    sinceYield_.start();
}

void BenchDesktop::resetGaps()
{
    longestGapNs_ = 0;
    sinceYield_.restart();
}

MsgResult BenchDesktop::messageBox(const QString&, const QString&, MsgIcon, MsgButtons buttons)
{
    ++messages_;
    // The time spent reading a box is the user's, not the program's.
    longestGapNs_ = std::max(longestGapNs_, sinceYield_.nsecsElapsed());
    sinceYield_.restart();
    return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
}

void BenchDesktop::yield()
{
    longestGapNs_ = std::max(longestGapNs_, sinceYield_.nsecsElapsed());
    QCoreApplication::processEvents();
    sinceYield_.restart();
}

EventGapWatch::EventGapWatch()
{
    timer_.setInterval(2);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
}

void EventGapWatch::start()
{
    QCoreApplication::processEvents();
    longestNs_ = 0;
    sinceTick_.start();
    timer_.start();
}

double EventGapWatch::stop()
{
    QCoreApplication::processEvents();
    tick();
    timer_.stop();
    return static_cast<double>(longestNs_) / 1e6;
}

void EventGapWatch::tick()
{
    longestNs_ = std::max(longestNs_, sinceTick_.nsecsElapsed());
    sinceTick_.restart();
}

void KeepOnlySampleRules(Form1& form)
{
    form.PushButton11_Click();  // the two sample rules and three sample numbers
    form.PushButton4_Click();   // keep the rules, start from an empty phone list
}

double TimeWatchingEvents(EventGapWatch& watch, double& longestGapMs,
                          const std::function<void()>& operation)
{
    watch.start();
    QElapsedTimer clock;
    clock.start();
    operation();
    const double milliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    longestGapMs = std::max(longestGapMs, watch.stop());
    return milliseconds;
}

double PeakResidentMegabytes()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
