#include "output/atomic_text_file.h"

#include "app/app_error.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Lines are gathered and encoded in chunks of about this many characters.
constexpr qsizetype kChunkCharacters = 1 << 18;

[[noreturn]] void ThrowErrno(int error)
{
    throw AppError::fromErrno(error);
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

AtomicTextFile::AtomicTextFile(QString path) : path_(std::move(path)) {}

AtomicTextFile::~AtomicTextFile()
{
    discard();
}

void AtomicTextFile::create()
{
    if (path_.isEmpty())
        throw AppError(ErrorCode::BadFileNameOrNumber);
    // Replace the file a symbolic link points at, not the link.
    const QFileInfo info(path_);
    const QString resolved = info.isSymLink() ? info.symLinkTarget() : path_;
    target_ = QFile::encodeName(resolved);

    mode_t mode = NewFileMode();
    struct stat existing {};
    if (::stat(target_.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode) || !S_ISREG(existing.st_mode))
            throw AppError(ErrorCode::PathFileAccessError);
        if (::access(target_.constData(), W_OK) != 0)
            ThrowErrno(errno);
        mode = existing.st_mode & 07777;
    } else if (errno != ENOENT) {
        ThrowErrno(errno);
    }

    const QFileInfo targetInfo(resolved);
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0)
        throw AppError(errno == ENOENT ? ErrorCode::PathNotFound : ErrorCodeFromErrno(errno));
    if (!S_ISDIR(folderInfo.st_mode))
        throw AppError(ErrorCode::PathNotFound);

    QByteArray pattern = folder + "/." + QFile::encodeName(targetInfo.fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        ThrowErrno(errno);
    fd_ = fd;
    temporary_ = pattern;
    if (::fchmod(fd_, mode) != 0)
        ThrowErrno(errno);
}

void AtomicTextFile::writeLine(QStringView line)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    pending_.append(line);
    pending_.append(QLatin1String("\r\n"));
    if (pending_.size() >= kChunkCharacters)
        flush();
}

void AtomicTextFile::flush()
{
    const QByteArray bytes = pending_.toUtf8();
    pending_.clear();
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t wrote = ::write(fd_, at, static_cast<size_t>(left));
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            discard();
            ThrowErrno(error);
        }
        at += wrote;
        left -= wrote;
    }
}

void AtomicTextFile::commit()
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    flush();
    // The descriptor is closed whatever fsync says; the first failure is the one reported.
    int failure = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    if (failure != 0) {
        discard();
        ThrowErrno(failure);
    }
    if (::rename(temporary_.constData(), target_.constData()) != 0) {
        const int error = errno;
        discard();
        ThrowErrno(error);
    }
    temporary_.clear();
}

void AtomicTextFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
    pending_.clear();
}
