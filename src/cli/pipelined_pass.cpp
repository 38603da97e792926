#include "cli/pipelined_pass.h"

#include "cli/stop_signals.h"

#include <QScopeGuard>

#ifdef __SSE2__
#include <immintrin.h>
#endif

#include <chrono>
#include <cstring>
#include <malloc.h>
#include <new>
#include <system_error>
#include <utility>

namespace {

// Copies size bytes, from sizeof(Word) to twice as many, as two words from each end.
template <class Word> void CopyByEnds(char* into, const char* from, std::size_t size)
{
    Word head = 0;
    Word tail = 0;
    std::memcpy(&head, from, sizeof(Word));
    std::memcpy(&tail, from + size - sizeof(Word), sizeof(Word));
    std::memcpy(into, &head, sizeof(Word));
    std::memcpy(into + size - sizeof(Word), &tail, sizeof(Word));
}

// Copies a line's bytes. A phone number is short: two overlapping words copy it without a call.
void CopyLine(char* into, std::string_view line)
{
    const std::size_t size = line.size();
    if (size >= 8 && size <= 16)
        CopyByEnds<std::uint64_t>(into, line.data(), size);
    else if (size >= 4 && size < 8)
        CopyByEnds<std::uint32_t>(into, line.data(), size);
    else if (size > 0)  // an empty view may hold no address at all, which memcpy must not get
        std::memcpy(into, line.data(), size);
}

// How many times a waiter looks again before it sleeps: some tens of microseconds.
constexpr int kSpins = 2000;
// How often an idle worker looks for signals sent to it alone.
constexpr std::chrono::milliseconds kIdleLook{50};
// The worker's stack: the passes need little, and ulimit -v counts what is reserved.
constexpr std::size_t kWorkerStack = std::size_t(2) << 20;

}  // namespace

// The two threads hand batches to each other hundreds of times a second; a thread that sleeps
// takes long to wake on a busy machine, and the other side mostly moves within microseconds.
template <class Ready>
void PipelinedPass::await(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                          Ready ready, void (*idle)(PipelinedPass&))
{
    if (ready())
        return;
    const unsigned seen = moves_.load(std::memory_order_relaxed);
    lock.unlock();
    for (int spin = 0; spin < kSpins && moves_.load(std::memory_order_acquire) == seen; ++spin) {
#ifdef __SSE2__
        _mm_pause();
#endif
    }
    lock.lock();
    while (!ready()) {
        if (cv.wait_for(lock, kIdleLook) == std::cv_status::timeout && idle != nullptr) {
            lock.unlock();
            idle(*this);
            lock.lock();
        }
    }
}

PipelinedPass::PipelinedPass(OutputTarget& target, Where where, Limits limits)
    : target_(target), threaded_(where == Where::SecondThread),
      limits_(threaded_ ? limits : Limits{0, 0, 0})
{
    if (!threaded_)
        return;
    pending_.reserve(limits_.pendingBytes);
    writing_.reserve(limits_.pendingBytes);
    // The second thread allocates from the program's one arena: an arena of its own would
    // reserve 64 MB of address space, which ulimit -v counts.
    ::mallopt(M_ARENA_MAX, 1);
    const StopSignals::Blocked leftHere;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kWorkerStack);
    const int error = pthread_create(
        &worker_, &attributes,
        [](void* self) -> void* {
            static_cast<PipelinedPass*>(self)->work();
            return nullptr;
        },
        this);
    pthread_attr_destroy(&attributes);
    if (error != 0)
        throw std::system_error(error, std::generic_category());
    running_ = true;
}

qint64 PipelinedPass::footprint(const Limits& limits)
{
    return qint64(kWorkerStack)
           + 2 * (qint64(limits.batchBytes) + qint64(limits.batchLines) * qint64(sizeof(Line)))
           + 2 * qint64(limits.pendingBytes);
}

void PipelinedPass::stop()
{
    if (!running_)
        return;
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
        moved();
    }
    workReady_.notify_all();
    roomMade_.notify_all();
    pthread_join(worker_, nullptr);
    running_ = false;
    // Nothing more goes through: a drain after this has nothing to wait for.
    const std::lock_guard lock(mutex_);
    busy_ = false;
    pending_.clear();
    filling_.used = filling_.count = 0;
}

void PipelinedPass::start(LineSink& pass)
{
    pass_ = &pass;
}

void PipelinedPass::bytesLine(std::string_view bytes, qsizetype length)
{
    if (!threaded_ || bytes.size() > limits_.batchBytes) {
        // Too long to copy into a batch: the pass takes it here once the worker is idle.
        drain();
        take(bytes, length, lineEnd());
        return;
    }
    // A failure of the pass is told at the next line, not a batch later.
    if (limits_.batchBytes - filling_.used < bytes.size() || filling_.count == limits_.batchLines
        || failed_.load(std::memory_order_relaxed))
        handOver();
    CopyLine(filling_.bytes.get() + filling_.used, bytes);
    filling_.used += static_cast<std::uint32_t>(bytes.size());
    filling_.lines[filling_.count++] = {filling_.used, static_cast<std::uint32_t>(length),
                                        lineEnd()};
}

void PipelinedPass::inputMark(Mark mark)
{
    drain();
    pass_->inputMark(mark);
}

void PipelinedPass::strayByte(char byte)
{
    drain();
    pass_->strayByte(byte);
}

void PipelinedPass::endInput()
{
    drain();
    taken_ = 0;
}

void PipelinedPass::drain()
{
    if (!threaded_)
        return;
    handOver();
    std::unique_lock lock(mutex_);
    waitIdle(lock);
}

void PipelinedPass::handOver()
{
    std::unique_lock lock(mutex_);
    waitIdle(lock);
    if (filling_.count == 0)
        return;
    std::swap(filling_, working_);
    busy_ = true;
    moved();
    lock.unlock();
    workReady_.notify_one();
    filling_.used = filling_.count = 0;
}

void PipelinedPass::waitIdle(std::unique_lock<std::mutex>& lock)
{
    for (;;) {
        await(lock, workerMoved_, [this] { return !busy_ || !pending_.empty(); });
        if (pending_.empty())
            break;
        writeOut(lock);
    }
    writeOut(lock);
    if (failure_) {
        // The lines read after the failing one are dropped, as the reading is, and the next
        // line the pass takes is the first of an input.
        filling_.used = filling_.count = 0;
        taken_ = 0;
        failed_.store(false, std::memory_order_relaxed);
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

void PipelinedPass::writeOut(std::unique_lock<std::mutex>& lock)
{
    if (pending_.empty())
        return;
    std::swap(pending_, writing_);
    moved();
    lock.unlock();
    roomMade_.notify_one();
    // Cleared even when the write fails: those bytes are gone either way.
    const auto written = qScopeGuard([this] { writing_.clear(); });
    target_.write(writing_);
    lock.lock();
}

void PipelinedPass::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        await(
            lock, workReady_, [this] { return quit_ || busy_; },
            [](PipelinedPass& self) { StopSignals::PassOn(self.callerThread_); });
        if (quit_)
            return;
        lock.unlock();
        std::exception_ptr failure;
        // A stopping signal sent to this thread alone (by its own id) is the reading thread's
        // to act on.
        StopSignals::PassOn(callerThread_);
        try {
            runBatch();
        } catch (const Quit&) {
            return;
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        failure_ = failure;
        if (failure)
            failed_.store(true, std::memory_order_relaxed);
        busy_ = false;
        moved();
        workerMoved_.notify_one();
    }
}

void PipelinedPass::runBatch()
{
    // Read into locals: this thread writes nothing shared per line.
    LineSink& pass = *pass_;
    const char* const bytes = working_.bytes.get();
    const Line* const lines = working_.lines.get();
    std::uint32_t start = 0;
    for (std::uint32_t k = 0; k < working_.count; ++k) {
        try {
            handOn(pass, {bytes + start, lines[k].end - start}, lines[k].length, lines[k].how);
        } catch (const std::bad_alloc&) {
            taken_ += k + 1;
            throw LineOutOfMemory{taken_};
        }
        start = lines[k].end;
    }
    taken_ += working_.count;
}

void PipelinedPass::take(std::string_view bytes, qsizetype length, LineEnd how)
{
    ++taken_;
    try {
        handOn(*pass_, bytes, length, how);
    } catch (const std::bad_alloc&) {
        throw LineOutOfMemory{taken_};
    }
}

void PipelinedPass::Gathered::write(std::string_view bytes)
{
    PipelinedPass& owner = owner_;
    if (std::this_thread::get_id() == owner.caller_) {
        // Written after everything the worker has still to write.
        owner.drain();
        owner.target_.write(bytes);
        return;
    }
    std::unique_lock lock(owner.mutex_);
    owner.await(lock, owner.roomMade_, [&] {
        return owner.quit_ || owner.pending_.empty()
               || owner.pending_.size() + bytes.size() <= owner.limits_.pendingBytes;
    });
    if (owner.quit_)
        throw Quit{};
    const bool wasEmpty = owner.pending_.empty();
    owner.pending_.append(bytes);
    owner.moved();
    if (wasEmpty)
        owner.workerMoved_.notify_one();
}

void PipelinedPass::Gathered::finish()
{
    owner_.drain();
    owner_.target_.finish();
}

bool PipelinedPass::Gathered::keepsPartial() const
{
    return owner_.target_.keepsPartial();
}

int PipelinedPass::Gathered::descriptor() const
{
    return owner_.target_.descriptor();
}
