#include "app/desktop/file_system.h"

#include "app/errors/app_error.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

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

QByteArray ReadWholeFile(const QString& path)
{
    return ReadWholeFile(QFile::encodeName(path));
}

QByteArray ReadWholeFile(const QByteArray& name)
{
    if (name.isEmpty())
        throw AppError(ErrorCode::BadFileNameOrNumber);
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    const FileDescriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        throw AppError::fromErrno(errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        throw AppError::fromErrno(errno);
    if (!S_ISREG(info.st_mode))
        throw AppError(ErrorCode::PathFileAccessError);

    // Read straight into place; a file that grows meanwhile still loads whole.
    QByteArray bytes(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(bytes.size() + (1 << 16));
        const ssize_t got =
            ::read(file.get(), bytes.data() + filled, static_cast<size_t>(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw AppError::fromErrno(errno);
        }
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
