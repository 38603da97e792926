#include "files/file_system.h"

#include "core/app_error.h"

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

namespace {

// How many bytes the UTF-8 character at `at` takes, or 0 when the bytes there are not UTF-8.
qsizetype Utf8Length(const QByteArray& bytes, qsizetype at)
{
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const qsizetype length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    // Overlong forms, surrogates and values past U+10FFFF do not come back as they went in.
    const QByteArray character = bytes.mid(at, length);
    return QString::fromUtf8(character).toUtf8() == character ? length : 0;
}

}  // namespace

QByteArray ShownName(const QByteArray& name, ForeignBytes foreign)
{
    QByteArray shown;
    shown.reserve(name.size());
    const auto octal = [&shown](char c) {
        const auto byte = static_cast<unsigned char>(c);
        const char escaped[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)),
                                char('0' + (byte & 7))};
        shown.append(escaped, sizeof escaped);
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\n': shown += "\\n"; continue;
        case '\t': shown += "\\t"; continue;
        case '\r': shown += "\\r"; continue;
        case '\\': shown += "\\\\"; continue;
        default: break;
        }
        if (byte < 0x20 || byte == 0x7f) {
            octal(c);
        } else if (byte < 0x80) {
            shown += c;
        } else if (const qsizetype length = Utf8Length(name, i); length == 0) {
            if (foreign == ForeignBytes::Kept)
                shown += c;
            else
                octal(c);
        } else {
            // U+0080 to U+009F are controls as well: a terminal may act on them.
            const bool control = byte == 0xc2 && static_cast<unsigned char>(name[i + 1]) < 0xa0;
            for (qsizetype k = i; k < i + length; ++k) {
                if (control)
                    octal(name[k]);
                else
                    shown += name[k];
            }
            i += length - 1;
        }
    }
    return shown;
}
