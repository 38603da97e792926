#include "cli/output_targets.h"

#include "cli/standard_output.h"
#include "core/app_error.h"
#include "files/text_file_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Standard output, or a special file opened for the run: what is written stays.
class StreamTarget final : public OutputTarget {
public:
    StreamTarget(int fd, bool owned, bool (*keepGoing)())
        : fd_(fd), owned_(owned), keepGoing_(keepGoing)
    {
    }
    ~StreamTarget() override
    {
        if (owned_)
            ::close(fd_);
    }
    StreamTarget(const StreamTarget&) = delete;
    StreamTarget& operator=(const StreamTarget&) = delete;

    void write(std::string_view bytes) override
    {
        if (const int error = WriteAll(fd_, bytes, keepGoing_); error != 0)
            throw OutputFailure{SystemReason(error)};
    }
    void finish() override
    {
        if (owned_ && ::close(fd_) != 0 && errno != EINTR) {
            owned_ = false;
            throw OutputFailure{SystemReason(errno)};
        }
        owned_ = false;
    }
    bool keepsPartial() const override { return true; }
    int descriptor() const override { return fd_; }

private:
    int fd_;
    bool owned_;
    bool (*keepGoing_)();
};

// A regular file: replaced only once the results are complete.
class FileTarget final : public OutputTarget {
public:
    FileTarget(const QByteArray& name, bool (*keepGoing)()) : file_(name)
    {
        file_.stopUnless(keepGoing);
        guard([&] { file_.create(); });
    }
    void write(std::string_view bytes) override
    {
        guard([&] { file_.writeUtf8(bytes); });
    }
    void finish() override
    {
        guard([&] { file_.commit(); });
    }
    bool keepsPartial() const override { return false; }
    bool rewroteInPlace() const override { return file_.rewroteInPlace(); }

private:
    template <class Work> static void guard(Work&& work)
    {
        try {
            work();
        } catch (const AppError& error) {
            throw OutputFailure{error.systemError() != 0 ? SystemReason(error.systemError())
                                                         : error.description().toStdString()};
        }
    }

    TextFileWriter file_;
};

}  // namespace

std::string SystemReason(int error)
{
    return std::strerror(error);
}

std::unique_ptr<OutputTarget> OpenOutput(const QByteArray& name, bool (*keepGoing)())
{
    if (name.isEmpty())
        return std::make_unique<StreamTarget>(STDOUT_FILENO, false, keepGoing);
    struct stat info {};
    const bool exists = ::stat(name.constData(), &info) == 0;
    // The file standard output or error already goes to (/dev/stdout onto a file, a log opened
    // for appending): written through that descriptor, where the shell put it.
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat open {};
        if (exists && ::fstat(fd, &open) == 0 && open.st_dev == info.st_dev
            && open.st_ino == info.st_ino)
            return std::make_unique<StreamTarget>(fd, false, keepGoing);
    }
    const bool special = exists && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    if (!special)
        return std::make_unique<FileTarget>(name, keepGoing);
    // A FIFO waits here for its reader; a signal ends the wait.
    const int fd = OpenUninterrupted(name, O_WRONLY, keepGoing);
    if (fd < 0)
        throw OutputFailure{SystemReason(errno)};
    return std::make_unique<StreamTarget>(fd, true, keepGoing);
}
