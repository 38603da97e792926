#include "app/desktop/file_system.h"

#include "app/errors/app_error.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool FileExists(const QString& path)
{
    return FileLookupError(QFile::encodeName(path)) == 0;
}

int FileLookupError(const QByteArray& name)
{
    if (name.isEmpty())
        return ENOENT;
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 ? 0 : errno;
}

ReadableFile::ReadableFile(const QString& path) : ReadableFile(QFile::encodeName(path)) {}

ReadableFile::ReadableFile(const QByteArray& name)
{
    if (name.isEmpty())
        throw AppError(ErrorCode::BadFileNameOrNumber);
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    fd_ = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throw AppError::fromErrno(errno);
    struct stat info {};
    const bool regular = ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular) {
        const int error = errno;
        ::close(fd_);
        throw info.st_mode == 0
            ? AppError::fromErrno(error)
            : AppError(ErrorCode::PathFileAccessError, S_ISDIR(info.st_mode) ? EISDIR : 0);
    }
    size_ = info.st_size;
}

ReadableFile::~ReadableFile()
{
    ::close(fd_);
}

qsizetype ReadableFile::readAt(qint64 offset, char* into, qsizetype size) const
{
    qsizetype filled = 0;
    while (filled < size) {
        const ssize_t got = ::pread(fd_, into + filled, static_cast<size_t>(size - filled),
                                    static_cast<off_t>(offset + filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw AppError::fromErrno(errno);
        }
        if (got == 0)
            break;
        filled += got;
    }
    return filled;
}

QByteArray ReadWholeFile(const QString& path)
{
    return ReadWholeFile(QFile::encodeName(path));
}

QByteArray ReadWholeFile(const QByteArray& name)
{
    const ReadableFile file(name);
    // Read straight into place; a file that grows meanwhile still loads whole.
    QByteArray bytes(static_cast<qsizetype>(file.size()), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() + (1 << 16));
        const qsizetype got = file.readAt(filled, bytes.data() + filled, bytes.size() - filled);
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

QString JoinPath(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QByteArray TemporaryFolder()
{
    const QByteArray folder = qgetenv("TMPDIR");
    return folder.isEmpty() ? QByteArrayLiteral("/tmp") : folder;
}

int OpenUnnamedTemporary()
{
    const QByteArray folder = TemporaryFolder();
    const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR))
        return fd;
    // File systems without unnamed files: a named one, unlinked at once.
    QByteArray pattern = folder + "/.dialwright-spool.XXXXXX";
    const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(pattern.constData());
    return named;
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
