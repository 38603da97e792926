#include "batch/standard_output.h"

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

QByteArray ShownName(const QByteArray& name)
{
    QByteArray shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\n': shown += "\\n"; continue;
        case '\t': shown += "\\t"; continue;
        case '\r': shown += "\\r"; continue;
        case '\\': shown += "\\\\"; continue;
        default: break;
        }
        if (byte < 0x20 || byte == 0x7f) {
            const char octal[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)),
                                  char('0' + (byte & 7))};
            shown.append(octal, sizeof octal);
        } else {
            shown += c;
        }
    }
    return shown;
}

void Complain(const QByteArray& message)
{
    const QByteArray bytes = "dialwright: " + message + '\n';
    WriteAll(STDERR_FILENO, {bytes.constData(), std::size_t(bytes.size())});
}
