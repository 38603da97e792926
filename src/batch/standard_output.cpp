#include "batch/standard_output.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <unistd.h>

int WriteAll(int fd, std::string_view bytes, bool (*keepGoing)())
{
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0) {
            if (errno == EINTR && (keepGoing == nullptr || keepGoing()))
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return 0;
}

int PrintToStandardOutput(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const int error = WriteAll(STDOUT_FILENO, {bytes.constData(), std::size_t(bytes.size())});
    if (error == 0)
        return 0;
    Complain(
        QStringLiteral("standard output: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    return 1;
}

void Complain(const QString& message)
{
    const QByteArray bytes = QStringLiteral("dialwright: %1\n").arg(message).toLocal8Bit();
    WriteAll(STDERR_FILENO, {bytes.constData(), std::size_t(bytes.size())});
}
