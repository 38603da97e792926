#include "cli/standard_output.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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
        // A signal that interrupts a write after some bytes went makes it return short, not
        // fail: the stop is looked at here too, or a reader that stopped reading holds us.
        if (!bytes.empty() && keepGoing != nullptr && !keepGoing())
            return EINTR;
    }
    return 0;
}

int PrintToStandardOutput(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const int error = WriteAll(STDOUT_FILENO, {bytes.constData(), std::size_t(bytes.size())});
    if (error == 0)
        return 0;
    Complain(QByteArray("standard output: ") + std::strerror(error));
    return 1;
}

QByteArray InputName(const QByteArray& input)
{
    return input == "-" ? QByteArrayLiteral("standard input") : ShownName(input);
}

int OpenUninterrupted(const QByteArray& name, int flags, bool (*keepGoing)())
{
    int fd = -1;
    do
        fd = ::open(name.constData(), flags | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR && keepGoing());
    return fd;
}

void Complain(const QByteArray& message)
{
    const QByteArray bytes = "dialwright: " + message + '\n';
    WriteAll(STDERR_FILENO, {bytes.constData(), std::size_t(bytes.size())});
}
