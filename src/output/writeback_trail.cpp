#include "output/writeback_trail.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace {

// Stretches of this many bytes are handed to the disk, and let go of, at a time.
constexpr off_t kStretch = off_t(8) << 20;
// The thread only makes a few system calls in a loop.
constexpr size_t kStackBytes = size_t(64) << 10;
// How often the thread looks for signals sent to it alone, while it has nothing else to do.
constexpr std::chrono::milliseconds kSignalLook{50};

}  // namespace

struct WritebackTrail::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    off_t length = 0;
    bool stopping = false;
    int fd = -1;  // the thread's own, closed by it
    pthread_t writer{};
};

namespace {

// Sends the signals waiting on this thread, which blocks them all, to the writer's thread: they
// were sent to this thread alone, by its own id, and are the writer's to take. Called with the
// writer known to be there, before it has said stop.
void PassOn(pthread_t writer)
{
    sigset_t waiting;
    if (sigpending(&waiting) != 0)
        return;
    const timespec now{};
    for (;;) {
        const int signal = ::sigtimedwait(&waiting, nullptr, &now);
        if (signal <= 0)
            return;
        ::pthread_kill(writer, signal);
    }
}

void* Follow(void* argument)
{
    const std::unique_ptr<std::shared_ptr<WritebackTrail::Shared>> held(
        static_cast<std::shared_ptr<WritebackTrail::Shared>*>(argument));
    WritebackTrail::Shared& shared = **held;
    off_t started = 0;  // everything before this has been handed to the disk
    off_t dropped = 0;  // and everything before this let go of
    std::unique_lock lock(shared.mutex);
    for (;;) {
        // The stretch being written is left alone.
        const bool work = shared.changed.wait_for(lock, kSignalLook, [&] {
            return shared.stopping || shared.length - started >= 2 * kStretch;
        });
        if (shared.stopping)
            break;
        PassOn(shared.writer);
        if (!work)
            continue;
        const off_t upTo = (shared.length / kStretch - 1) * kStretch;
        lock.unlock();
        ::sync_file_range(shared.fd, started, upTo - started, SYNC_FILE_RANGE_WRITE);
        // What was handed over a round ago is most likely on disk; a page still being written
        // is kept by the system.
        if (started > dropped) {
            ::posix_fadvise(shared.fd, dropped, started - dropped, POSIX_FADV_DONTNEED);
            dropped = started;
        }
        started = upTo;
        lock.lock();
    }
    lock.unlock();
    ::close(shared.fd);
    return nullptr;
}

}  // namespace

void WritebackTrail::reached(int fd, off_t length)
{
    if (!shared_) {
        if (unavailable_ || length < 2 * kStretch)
            return;
        start(fd);
        if (!shared_)
            return;
    }
    // The thread has work only once a stretch is finished.
    if (length / kStretch == told_ / kStretch)
        return;
    told_ = length;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->length = length;
    }
    shared_->changed.notify_one();
}

void WritebackTrail::stop()
{
    if (!shared_)
        return;
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->changed.notify_one();
    shared_.reset();
}

void WritebackTrail::start(int fd)
{
    unavailable_ = true;
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return;
    auto shared = std::make_shared<Shared>();
    shared->fd = own;
    shared->writer = pthread_self();
    auto* argument = new std::shared_ptr<Shared>(shared);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    // Signals are for the thread that reads and writes: their interruptions are its to see.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pthread_t thread{};
    const int error = pthread_create(&thread, &attributes, &Follow, argument);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete argument;
        ::close(own);
        return;
    }
    unavailable_ = false;
    shared_ = std::move(shared);
}
