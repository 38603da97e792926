#include "input/input_spool.h"

#include "app/desktop/file_system.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace {

constexpr std::size_t kMemoryBytes = std::size_t(4) << 20;

[[noreturn]] void Fail(int error)
{
    throw SpoolFailure{error};
}

}  // namespace

InputSpool::~InputSpool()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void InputSpool::openFile()
{
    fd_ = OpenUnnamedTemporary();
    if (fd_ < 0)
        Fail(errno);
}

void InputSpool::append(std::string_view bytes)
{
    if (fileHeld_ == 0 && memory_.size() + bytes.size() <= kMemoryBytes) {
        memory_.append(bytes);
        return;
    }
    if (fd_ < 0)
        openFile();
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd_, bytes.data(), bytes.size());
        if (wrote < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
        fileHeld_ += wrote;
    }
}

std::size_t InputSpool::takeBack(char* buffer, std::size_t size)
{
    if (memoryTaken_ < memory_.size()) {
        const std::size_t count = std::min(size, memory_.size() - memoryTaken_);
        memory_.copy(buffer, count, memoryTaken_);
        memoryTaken_ += count;
        return count;
    }
    while (fileTaken_ < fileHeld_) {
        const ssize_t got =
            ::pread(fd_, buffer, std::min<off_t>(static_cast<off_t>(size), fileHeld_ - fileTaken_),
                    fileTaken_);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            Fail(got < 0 ? errno : EIO);
        fileTaken_ += got;
        return static_cast<std::size_t>(got);
    }
    std::string().swap(memory_);
    memoryTaken_ = 0;
    if (fileHeld_ > 0 && ::ftruncate(fd_, 0) == 0)
        ::lseek(fd_, 0, SEEK_SET);
    fileHeld_ = 0;
    fileTaken_ = 0;
    return 0;
}
