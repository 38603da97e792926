#include "bench_desktop.h"

#include <QCoreApplication>

#include <algorithm>
#include <sys/resource.h>

BenchDesktop::BenchDesktop()
{
    slice_.start();
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

bool BenchDesktop::timeSliceOver()
{
    // The same policy as the real desktop: look at the clock every 16 calls, yield after 16 ms.
    if (++checks_ % 16 != 0)
        return false;
    return slice_.elapsed() >= 16;
}

void BenchDesktop::yield()
{
    longestGapNs_ = std::max(longestGapNs_, sinceYield_.nsecsElapsed());
    QCoreApplication::processEvents();
    slice_.restart();
    sinceYield_.restart();
}

double PeakResidentMegabytes()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
