#include "batch/progress_line.h"

#include "batch/standard_output.h"

#include <QByteArray>

#include <unistd.h>

namespace {

constexpr qint64 kLargeInput = qint64(100) << 20;
constexpr auto kInterval = std::chrono::milliseconds(250);

}  // namespace

ProgressLine::ProgressLine(QString name, qint64 total)
    : name_(std::move(name)), total_(total), terminal_(::isatty(STDERR_FILENO) == 1)
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
    const QString text =
        total_ >= 0
            ? QStringLiteral("\rdialwright: %1: %2 of %3 MB read (%4%)\033[K")
                  .arg(name_)
                  .arg(megabytes)
                  .arg(total_ >> 20)
                  .arg(total_ > 0 ? done * 100 / total_ : 100)
            : QStringLiteral("\rdialwright: %1: %2 MB read\033[K").arg(name_).arg(megabytes);
    const QByteArray bytes = text.toLocal8Bit();
    WriteAll(STDERR_FILENO, {bytes.constData(), std::size_t(bytes.size())});
}
