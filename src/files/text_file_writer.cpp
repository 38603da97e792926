#include "files/text_file_writer.h"

#include "core/app_error.h"
#include "files/file_attributes.h"
#include "files/file_system.h"
#include "files/unfinished_files.h"
#include "lists/text_checks.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <future>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace {

// UTF-16 units whose UTF-8 surely fits in a chunk: at most three bytes a unit.
constexpr qsizetype kChunkUnits = TextFileWriter::kChunkBytes / 3;
// A file this long or longer takes the disk longer to sync than a window may stay still, so its
// syncs run on a worker thread; a smaller one is synced at once, as its sync takes a moment.
constexpr off_t kSyncAsideBytes = 1 << 22;
// How often the window's thread looks whether a sync done aside has finished.
constexpr std::chrono::milliseconds kSyncPoll{2};
// A long file is handed to the disk, and let go of by the cache, this many bytes at a time.
constexpr off_t kStretch = off_t(8) << 20;
// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

[[noreturn]] void ThrowErrno(int error)
{
    throw AppError::fromErrno(error);
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

// The target as the save finds it, once any links are followed.
struct Found {
    bool exists = false;
    struct stat info {};
    bool folderWritable = false;
};

// Refuses a folder that does not exist, a target that is a folder or a special file, and a
// write-protected file.
Found Examine(const QByteArray& target)
{
    const QByteArray folder = FolderOf(target);
    struct stat folderInfo {};
    if (::stat(folder.constData(), &folderInfo) != 0) {
        const int error = errno;
        throw AppError(error == ENOENT ? ErrorCode::PathNotFound : ErrorCodeFromErrno(error),
                       error);
    }
    if (!S_ISDIR(folderInfo.st_mode))
        throw AppError(ErrorCode::PathNotFound, ENOTDIR);
    Found found;
    found.exists = ::stat(target.constData(), &found.info) == 0;
    if (!found.exists && errno != ENOENT)
        ThrowErrno(errno);
    if (found.exists) {
        if (!S_ISREG(found.info.st_mode))
            throw AppError(ErrorCode::PathFileAccessError,
                           S_ISDIR(found.info.st_mode) ? EISDIR : 0);
        if (::access(target.constData(), W_OK) != 0)
            ThrowErrno(errno);
    }
    found.folderWritable = ::access(folder.constData(), W_OK) == 0;
    return found;
}

// Every link of a file with several must show the new text, and a folder the user may not
// write to takes no temporary file: both are rewritten in place.
bool RenameKeepsIt(const Found& found)
{
    return !found.exists || (found.info.st_nlink == 1 && found.folderWritable);
}

// A hidden file beside the target that no other file has, made with the given permission
// bits (less the umask, or as the folder's default access list says); its descriptor and name.
int MakeTemporary(const QByteArray& target, mode_t mode, QByteArray& name)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int kSuffix = 6;
    // A name near the longest the system allows leaves no room for a longer temporary one.
    const QByteArray folder = FolderOf(target);
    const QByteArray own = NameOf(target);
    const QByteArray stem =
        own.size() + 2 + kSuffix <= NAME_MAX ? folder + "/." + own + '.' : folder + "/.dialwright.";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = stem;
        for (int i = 0; i < kSuffix; ++i)
            name += kLetters[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kLetters)
                                                                 - 1)];
        const int fd =
            ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
        if (fd >= 0)
            return fd;
        // The folder exists (it was looked at) yet takes no new file, as /proc does.
        if (errno == ENOENT)
            ThrowErrno(EACCES);
        if (errno != EEXIST)
            ThrowErrno(errno);
    }
    ThrowErrno(EEXIST);
}

// Syncs the file or folder; returns 0 or the errno.
int Sync(int fd)
{
    return ::fsync(fd) == 0 ? 0 : errno;
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

// Copies the first `size` bytes of one file over the start of another; returns 0 or the errno.
int CopyAll(int from, int to, off_t size)
{
    std::string chunk(TextFileWriter::kChunkBytes, '\0');
    for (off_t at = 0; at < size;) {
        const ssize_t got = ::pread(from, chunk.data(), chunk.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : EIO;
        if (const int error =
                WriteAll(to, std::string_view(chunk.data(), static_cast<size_t>(got)), at);
            error != 0)
            return error;
        at += got;
    }
    return 0;
}

}  // namespace

TextFileWriter::TextFileWriter(const QString& path, std::function<void()> betweenSlices)
    : TextFileWriter(QFile::encodeName(path), std::move(betweenSlices))
{
}

TextFileWriter::TextFileWriter(QByteArray name, std::function<void()> betweenSlices)
    : path_(std::move(name)), betweenSlices_(std::move(betweenSlices))
{
}

TextFileWriter::~TextFileWriter()
{
    discard();
}

void TextFileWriter::create()
{
    if (path_.isEmpty())
        throw AppError(ErrorCode::BadFileNameOrNumber);
    target_ = ResolveLinks(path_);
    const Found found = Examine(target_);
    if (RenameKeepsIt(found) && openTemporary(found.exists ? &found.info : nullptr))
        return;
    openInPlace();
    aside_ = OpenUnnamedTemporary();
}

bool TextFileWriter::openTemporary(const struct stat* replaced)
{
    // A new file gets what any new file in its folder gets: the kernel applies the umask or
    // the folder's default access list. One that replaces a file stays private until it has
    // that file's owner and permissions.
    fd_ = MakeTemporary(target_, replaced == nullptr ? 0666 : 0600, temporary_);
    UnfinishedFiles::Add(temporary_);
    if (replaced == nullptr)
        return true;
    if (FileAttributes::CarryOver(fd_, temporary_, target_, *replaced))
        return true;
    discard();
    return false;
}

void TextFileWriter::openInPlace()
{
    // The name was checked before; what stands under it now may be something else. A link put
    // there is not followed and a FIFO does not hold the window; only a regular file is written.
    const int fd =
        ::open(target_.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        ThrowErrno(errno);
    struct stat opened {};
    const bool regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
    const int flags = regular ? ::fcntl(fd, F_GETFL) : -1;
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        throw AppError(ErrorCode::PathFileAccessError);
    }
    fd_ = fd;
    inPlace_ = true;
}

void TextFileWriter::writeLine(QStringView line)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    // Encoded straight into the pending bytes: UTF-8 takes at most three bytes a UTF-16 unit.
    const auto encode = [this](QStringView text) {
        const size_t start = pending_.size();
        pending_.resize(start + static_cast<size_t>(utf8_.requiredSpace(text.size())));
        char* const end = utf8_.appendToBuffer(pending_.data() + start, text);
        pending_.resize(static_cast<size_t>(end - pending_.data()));
    };
    // A long line is encoded and written a chunk at a time; a surrogate pair stays whole.
    while (line.size() > kChunkUnits) {
        const qsizetype length = PieceEnd(line, 0, kChunkUnits);
        encode(line.first(length));
        flush();
        if (betweenSlices_)
            betweenSlices_();
        line = line.sliced(length);
    }
    encode(line);
    pending_ += "\r\n";
    if (pending_.size() >= kChunkBytes)
        flush();
}

void TextFileWriter::writeUtf8LineOtherwise(std::string_view line)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    writeLong(line);  // a line of a chunk or more: short ones only gather
    pending_ += "\r\n";
}

void TextFileWriter::writeUtf8(std::string_view bytes)
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    if (bytes.size() >= kChunkBytes) {
        writeLong(bytes);
        return;
    }
    pending_ += bytes;
    if (pending_.size() >= kChunkBytes)
        flush();
}

void TextFileWriter::writeLong(std::string_view bytes)
{
    flush();
    if (inPlace_ && aside_ < 0) {
        whole_ += bytes;
        return;
    }
    // Written from where the bytes lie: a copy of a line of tens of megabytes would cost as
    // much as writing it.
    for (size_t at = 0; at < bytes.size(); at += kChunkBytes) {
        if (at > 0 && betweenSlices_)
            betweenSlices_();
        writeOut(bytes.substr(at, kChunkBytes));
    }
}

void TextFileWriter::writeOut(std::string_view bytes)
{
    if (const int error = WriteAll(inPlace_ ? aside_ : fd_, bytes); error != 0) {
        discard();
        ThrowErrno(error);
    }
    // The text written aside is read back at the end, best from the cache: it is not trailed.
    // (A temporary file is read back only where the rename fails at the end, from the disk.)
    if (!inPlace_) {
        const off_t before = written_;
        written_ += static_cast<off_t>(bytes.size());
        if (written_ / kStretch != before / kStretch)
            writeBehind();
    }
}

// The final sync then finds little left to write, and a file of gigabytes does not fill the
// memory with its cache (pages let go of are reused for the next stretches, which on a virtual
// machine is much faster than memory the host must first find).
void TextFileWriter::writeBehind()
{
    // The stretch being written is left alone.
    const off_t upTo = (written_ / kStretch - 1) * kStretch;
    if (upTo <= handedToDisk_)
        return;
    // Only the writing is started: a call that waits for it would also take the report of a
    // failed write, which belongs to the final sync.
    ::sync_file_range(fd_, handedToDisk_, upTo - handedToDisk_, SYNC_FILE_RANGE_WRITE);
    // What earlier steps handed over leaves the cache as far as it is on disk: a page still
    // being written is kept this time and let go of at a later step.
    if (handedToDisk_ > 0)
        ::posix_fadvise(fd_, 0, handedToDisk_, POSIX_FADV_DONTNEED);
    handedToDisk_ = upTo;
}

void TextFileWriter::flush()
{
    if (inPlace_ && aside_ < 0) {
        whole_ += pending_;
        pending_.clear();
        return;
    }
    writeOut(pending_);
    pending_.clear();  // keeps its storage for the next chunk
}

void TextFileWriter::commit()
{
    if (fd_ < 0)
        throw AppError(ErrorCode::BadFileNameOrNumber);
    flush();
    if (inPlace_)
        rewriteInPlace(aside_);
    else
        replaceByRename();
}

void TextFileWriter::replaceByRename()
{
    struct stat written {};
    const bool aside =
        betweenSlices_ && ::fstat(fd_, &written) == 0 && written.st_size >= kSyncAsideBytes;
    // The descriptor is closed whatever fsync says; the first failure is the one reported.
    const auto sync = [this, aside](int fd) { return aside ? syncAside(fd) : Sync(fd); };
    int failure = sync(fd_);
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    if (failure == 0 && keepGoing_ != nullptr && !keepGoing_())
        failure = EINTR;
    if (failure == 0 && ::rename(temporary_.constData(), target_.constData()) != 0)
        failure = errno;
    // A file bind-mounted over the name, or a name on another file system, cannot be renamed
    // over; it is still writable, so the finished text is copied into it instead.
    if (failure == EBUSY || failure == EXDEV) {
        rewriteFromTemporary();
        return;
    }
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
    failure = sync(folder);
    ::close(folder);
    if (failure == EINVAL)
        failure = 0;
    if (failure != 0)
        ThrowErrno(failure);
}

int TextFileWriter::syncAside(int fd)
{
    std::future<int> synced;
    try {
        synced = std::async(std::launch::async, Sync, fd);
    } catch (const std::system_error&) {
        return Sync(fd);  // no thread to be had: synced here, the window waiting
    }
    // Should the program end meanwhile (the window closed), the temporary file is removed and
    // the thread ends with the process; the target is renamed over only after this returns.
    while (synced.wait_for(kSyncPoll) != std::future_status::ready)
        betweenSlices_();
    return synced.get();
}

void TextFileWriter::rewriteFromTemporary()
{
    const int text = ::open(temporary_.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (text < 0) {
        const int error = errno;
        discard();
        ThrowErrno(error);
    }
    try {
        openInPlace();
        rewriteInPlace(text);
    } catch (...) {
        ::close(text);
        discard();
        throw;
    }
    ::close(text);
    discard();  // the temporary file, now written into the target
}

void TextFileWriter::rewriteInPlace(int from)
{
    const auto fail = [this](int error) {
        discard();
        ThrowErrno(error);
    };
    struct stat source {};
    if (from >= 0 && ::fstat(from, &source) != 0)
        fail(errno);
    const off_t size = from >= 0 ? source.st_size : static_cast<off_t>(whole_.size());
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
    std::optional<UnfinishedFiles::RewritingInPlace> rewriting(std::in_place);
    int failure = from >= 0 ? CopyAll(from, fd_, size) : WriteAll(fd_, whole_, 0);
    if (failure == 0 && ::ftruncate(fd_, size) != 0)
        failure = errno;
    if (failure == 0 && ::fsync(fd_) != 0)
        failure = errno;
    if (::close(fd_) != 0 && failure == 0)
        failure = errno;
    fd_ = -1;
    rewriting.reset();  // the file is whole, or the copy failed: a signal kept may end it now
    if (failure != 0)
        fail(failure);
    rewroteInPlace_ = true;
    std::string().swap(whole_);
}

void TextFileWriter::discard()
{
    written_ = 0;
    handedToDisk_ = 0;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (aside_ >= 0) {
        ::close(aside_);
        aside_ = -1;
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
