#include "output/text_file_writer.h"

#include "app/desktop/unfinished_files.h"
#include "app/errors/app_error.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// Encoded lines are gathered and written in chunks of about this many bytes.
constexpr size_t kChunkBytes = 1 << 19;
// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

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

QByteArray FolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray NameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The last target of a chain of symbolic links (the path itself when it is no link). A
// target that does not exist ends the chain: it is the file to create.
QByteArray ResolveLinks(QByteArray path)
{
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno == ENOENT)
                return path;
            ThrowErrno(errno);
        }
        if (!S_ISLNK(info.st_mode))
            return path;
        QByteArray link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.constData(), link.data(), PATH_MAX);
        if (length < 0)
            ThrowErrno(errno);
        link.truncate(length);
        path = link.startsWith('/') ? link : FolderOf(path) + '/' + link;
    }
    ThrowErrno(ELOOP);
}

// The extended attribute names of a path (access control lists are among them); empty where
// the file system has none.
std::vector<QByteArray> AttributeNames(const QByteArray& path, int fd)
{
    const auto list = [&](char* buffer, size_t size) {
        return fd >= 0 ? ::flistxattr(fd, buffer, size)
                       : ::llistxattr(path.constData(), buffer, size);
    };
    std::vector<QByteArray> names;
    const ssize_t size = list(nullptr, 0);
    if (size < 0) {
        if (errno == ENOTSUP)
            return names;
        ThrowErrno(errno);
    }
    QByteArray buffer(size, '\0');
    const ssize_t got = list(buffer.data(), static_cast<size_t>(buffer.size()));
    if (got < 0)
        ThrowErrno(errno);
    for (const QByteArray& name : buffer.left(got).split('\0'))
        if (!name.isEmpty())
            names.push_back(name);
    return names;
}

// Writes everything, at the file's offset or from the given one; returns 0 or the errno.
int WriteAll(int fd, std::string_view bytes, off_t at = -1)
{
    const char* data = bytes.data();
    auto left = static_cast<qsizetype>(bytes.size());
    while (left > 0) {
        const ssize_t wrote = at < 0 ? ::write(fd, data, static_cast<size_t>(left))
                                     : ::pwrite(fd, data, static_cast<size_t>(left), at);
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += wrote;
        left -= wrote;
        if (at >= 0)
            at += wrote;
    }
    return 0;
}

}  // namespace

TextFileWriter::TextFileWriter(QString path) : path_(std::move(path)) {}

TextFileWriter::~TextFileWriter()
{
    discard();
}

void TextFileWriter::create()
{
    if (path_.isEmpty())
        throw AppError(ErrorCode::BadFileNameOrNumber);
    target_ = ResolveLinks(QFile::encodeName(path_));
    const QByteArray folder = FolderOf(target_);
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0)
        throw AppError(errno == ENOENT ? ErrorCode::PathNotFound : ErrorCodeFromErrno(errno));
    if (!S_ISDIR(folderInfo.st_mode))
        throw AppError(ErrorCode::PathNotFound);

    struct stat existing {};
    const bool exists = ::stat(target_.constData(), &existing) == 0;
    if (!exists && errno != ENOENT)
        ThrowErrno(errno);
    if (exists) {
        if (!S_ISREG(existing.st_mode))
            throw AppError(ErrorCode::PathFileAccessError);
        if (::access(target_.constData(), W_OK) != 0)
            ThrowErrno(errno);
    }
    // Every link of a file with several must show the new text, and a folder the user may
    // not write to takes no temporary file: both are rewritten in place.
    const bool renameKeepsIt =
        !exists || (existing.st_nlink == 1 && ::access(folder.constData(), W_OK) == 0);
    if (renameKeepsIt) {
        // A name near the longest the system allows leaves no room for a longer temporary one.
        const QByteArray name = NameOf(target_);
        QByteArray pattern = name.size() + 8 <= NAME_MAX ? folder + "/." + name + ".XXXXXX"
                                                         : folder + "/.dialwright.XXXXXX";
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0)
            ThrowErrno(errno);
        fd_ = fd;
        temporary_ = pattern;
        UnfinishedFiles::Add(temporary_);
        const mode_t mode = exists ? existing.st_mode & 07777 : NewFileMode();
        if (!exists) {
            if (::fchmod(fd_, mode) != 0)
                ThrowErrno(errno);
            return;
        }
        if (carryOver(static_cast<int>(mode), existing.st_uid, existing.st_gid))
            return;
        discard();
    }
    const int fd = ::open(target_.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        ThrowErrno(errno);
    fd_ = fd;
    inPlace_ = true;
}

bool TextFileWriter::carryOver(int targetMode, unsigned owner, unsigned group)
{
    struct stat own {};
    if (::fstat(fd_, &own) != 0)
        ThrowErrno(errno);
    if ((own.st_uid != owner || own.st_gid != group) && ::fchown(fd_, owner, group) != 0)
        return false;
    // After the owner, since a change of owner clears the set-user and set-group bits.
    if (::fchmod(fd_, static_cast<mode_t>(targetMode)) != 0)
        return false;
    const std::vector<QByteArray> names = AttributeNames(target_, -1);
    for (const QByteArray& name : names) {
        const ssize_t size = ::lgetxattr(target_.constData(), name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        QByteArray value(size, '\0');
        const ssize_t got =
            ::lgetxattr(target_.constData(), name.constData(), value.data(), value.size());
        if (got < 0
            || ::fsetxattr(fd_, name.constData(), value.constData(), static_cast<size_t>(got), 0)
                   != 0)
            return false;
    }
    // Nor may the new file have what the old had not (a folder's default access list).
    const std::vector<QByteArray> added = AttributeNames(temporary_, fd_);
    return std::all_of(added.begin(), added.end(), [&](const QByteArray& name) {
        return std::find(names.begin(), names.end(), name) != names.end()
               || ::fremovexattr(fd_, name.constData()) == 0;
    });
}

void TextFileWriter::writeLine(QStringView line)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    // Encoded straight into the pending bytes: UTF-8 takes at most three bytes a UTF-16 unit.
    const size_t start = pending_.size();
    pending_.resize(start + static_cast<size_t>(utf8_.requiredSpace(line.size())));
    char* const end = utf8_.appendToBuffer(pending_.data() + start, line);
    pending_.resize(static_cast<size_t>(end - pending_.data()));
    pending_ += "\r\n";
    if (pending_.size() >= kChunkBytes)
        flush();
}

void TextFileWriter::writeUtf8Line(std::string_view line)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    pending_ += line;
    pending_ += "\r\n";
    if (pending_.size() >= kChunkBytes)
        flush();
}

void TextFileWriter::writeUtf8(std::string_view bytes)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    pending_ += bytes;
    if (pending_.size() >= kChunkBytes)
        flush();
}

void TextFileWriter::flush()
{
    if (inPlace_) {
        whole_ += pending_;
        pending_.clear();
        return;
    }
    const int error = WriteAll(fd_, pending_);
    pending_.clear();  // keeps its storage for the next chunk
    if (error != 0) {
        discard();
        ThrowErrno(error);
    }
}

void TextFileWriter::commit()
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    flush();
    if (inPlace_)
        rewriteInPlace();
    else
        replaceByRename();
}

void TextFileWriter::replaceByRename()
{
    // The descriptor is closed whatever fsync says; the first failure is the one reported.
    int failure = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    if (failure == 0 && ::rename(temporary_.constData(), target_.constData()) != 0)
        failure = errno;
    if (failure != 0) {
        discard();
        ThrowErrno(failure);
    }
    UnfinishedFiles::Forget(temporary_);
    temporary_.clear();
    // The new name is lasting only once the folder that holds it is.
    const int folder = ::open(FolderOf(target_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        ThrowErrno(errno);
    failure = ::fsync(folder) == 0 || errno == EINVAL ? 0 : errno;
    ::close(folder);
    if (failure != 0)
        ThrowErrno(failure);
}

void TextFileWriter::rewriteInPlace()
{
    const auto fail = [this](int error) {
        discard();
        ThrowErrno(error);
    };
    const auto size = static_cast<off_t>(whole_.size());
    // Nothing is overwritten until the whole text is sure to fit.
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && static_cast<rlim_t>(size) > limit.rlim_cur)
        fail(EFBIG);
    struct stat now {};
    if (::fstat(fd_, &now) != 0)
        fail(errno);
    struct statvfs space {};
    const off_t held = static_cast<off_t>(now.st_blocks) * 512;
    if (::fstatvfs(fd_, &space) == 0 && size > held
        && static_cast<unsigned long long>(size - held)
               > static_cast<unsigned long long>(space.f_bavail) * space.f_frsize)
        fail(ENOSPC);
    // Where the file system can, the blocks are taken before the old text is touched.
    if (size > 0 && ::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, size) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS) {
        const int error = errno;
        // Gives back what was taken past the old end; the failure that matters is the first.
        [[maybe_unused]] const int released = ::ftruncate(fd_, now.st_size);
        fail(error);
    }
    int failure = WriteAll(fd_, whole_, 0);
    if (failure == 0 && ::ftruncate(fd_, size) != 0)
        failure = errno;
    if (failure == 0 && ::fsync(fd_) != 0)
        failure = errno;
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    if (failure != 0)
        fail(failure);
    std::string().swap(whole_);
}

void TextFileWriter::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        UnfinishedFiles::Forget(temporary_);
        temporary_.clear();
    }
    inPlace_ = false;
    std::string().swap(pending_);
    std::string().swap(whole_);
}
