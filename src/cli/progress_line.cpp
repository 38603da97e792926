#include "cli/progress_line.h"

#include "cli/standard_output.h"

#include <QByteArray>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kLargeInput = qint64(100) << 20;
constexpr auto kInterval = std::chrono::milliseconds(250);

// A terminal's standard error, unless the results go to the same terminal: a progress line
// would mix into them there.
bool ProgressWanted(int results)
{
    if (::isatty(STDERR_FILENO) != 1)
        return false;
    if (results < 0 || ::isatty(results) != 1)
        return true;
    struct stat out {};
    struct stat err {};
    return ::fstat(results, &out) != 0 || ::fstat(STDERR_FILENO, &err) != 0
           || out.st_rdev != err.st_rdev;
}

}  // namespace

ProgressLine::ProgressLine(QByteArray name, qint64 total, int results)
    : name_(std::move(name)), total_(total), terminal_(ProgressWanted(results))
{
}

ProgressLine::~ProgressLine()
{
    if (shown_)
        WriteAll(STDERR_FILENO, "\r\033[K");
}

void ProgressLine::update(qint64 done)
{
    if (!terminal_ || (total_ <= kLargeInput && done <= kLargeInput))
        return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < kInterval)
        return;
    last_ = now;
    shown_ = true;
    const qint64 megabytes = done >> 20;
    const QByteArray bytes = "\rdialwright: " + name_ + ": "
                             + (total_ >= 0 ? QStringLiteral("%1 of %2 MB read (%3%)\033[K")
                                                  .arg(megabytes)
                                                  .arg(total_ >> 20)
                                                  .arg(total_ > 0 ? done * 100 / total_ : 100)
                                            : QStringLiteral("%1 MB read\033[K").arg(megabytes))
                                   .toUtf8();
    WriteAll(STDERR_FILENO, {bytes.constData(), std::size_t(bytes.size())});
}
