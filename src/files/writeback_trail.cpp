#include "files/writeback_trail.h"

#include "files/passed_signals.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <unistd.h>

namespace {

sigset_t AllSignals()
{
    sigset_t all;
    sigfillset(&all);
    return all;
}

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

void* Follow(void* argument)
{
    const std::unique_ptr<std::shared_ptr<WritebackTrail::Shared>> held(
        static_cast<std::shared_ptr<WritebackTrail::Shared>*>(argument));
    WritebackTrail::Shared& shared = **held;
    off_t started = 0;  // everything before this has been handed to the disk
    std::unique_lock lock(shared.mutex);
    for (;;) {
        // The stretch being written is left alone.
        const bool work = shared.changed.wait_for(lock, kSignalLook, [&] {
            return shared.stopping || shared.length - started >= 2 * kStretch;
        });
        if (shared.stopping)
            break;
        PassOnPending(shared.writer, AllSignals());
        if (!work)
            continue;
        const off_t upTo = (shared.length / kStretch - 1) * kStretch;
        lock.unlock();
        // Only the writing is started: a call that waits for it would also take the report of a
        // failed write, which belongs to the writer's final sync (the descriptors share it).
        ::sync_file_range(shared.fd, started, upTo - started, SYNC_FILE_RANGE_WRITE);
        // Everything handed over in earlier rounds leaves the cache as far as it is on disk: a
        // page still being written is kept this round and let go of in a later one.
        if (started > 0)
            ::posix_fadvise(shared.fd, 0, started, POSIX_FADV_DONTNEED);
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
    // The trail is a help, never a condition: without memory, a descriptor or a thread for it,
    // the file is written as before.
    unavailable_ = true;
    std::shared_ptr<Shared> shared;
    std::unique_ptr<std::shared_ptr<Shared>> argument;
    try {
        shared = std::make_shared<Shared>();
        argument = std::make_unique<std::shared_ptr<Shared>>(shared);
    } catch (const std::bad_alloc&) {
        return;
    }
    shared->fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (shared->fd < 0)
        return;
    shared->writer = pthread_self();
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // Where the system wants more than this, the thread gets the usual size.
    pthread_attr_setstacksize(&attributes, std::max<size_t>(kStackBytes, PTHREAD_STACK_MIN));
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    // Signals are for the thread that reads and writes: their interruptions are its to see.
    const sigset_t all = AllSignals();
    sigset_t previous;
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pthread_t thread{};
    const int error = pthread_create(&thread, &attributes, &Follow, argument.get());
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        ::close(shared->fd);
        return;
    }
    // The thread's now: it frees the argument when it ends.
    [[maybe_unused]] std::shared_ptr<Shared>* const handed = argument.release();
    unavailable_ = false;
    shared_ = std::move(shared);
}
