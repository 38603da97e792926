#pragma once

#include "files/line_out_of_memory.h"
#include "files/line_reader.h"
#include "files/result_writer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

// A batch is about a millisecond of work: fewer, larger hand-overs cost less than many small
// ones, and two batches with what the pass writes stay well below the program's memory
// bound. A line longer than a batch's bytes goes to the pass on this thread.
struct PipelineLimits {
    std::uint32_t batchBytes = std::uint32_t(1) << 20;
    std::uint32_t batchLines = std::uint32_t(1) << 17;
    // What the pass may have written before the worker waits for this thread to write it.
    std::size_t pendingBytes = std::size_t(1) << 20;
};

// Runs a pass on a second core while the reader splits the next lines on this one. Lines are
// gathered into batches that a worker thread hands to the pass in their order; what the pass
// writes comes back to this thread, which writes it to the target. Every read and write, and so
// every signal that must interrupt one, stays on this thread; the worker only computes.
//
// A failure of the pass (an exception) is thrown here at the next line or at endInput(), after
// what the pass wrote before it has been written; the lines after it are dropped, as they would
// be had the pass run here. Running out of memory becomes LineOutOfMemory, naming the line. A
// line longer than a batch goes to the pass on this thread, uncopied.
class PipelinedPass final : public LineSink {
public:
    using Limits = PipelineLimits;

    // Where the pass runs: on a second thread, or on this one, line by line (a terminal shown
    // each result as it comes, or no memory to spare for a second thread and its batches).
    enum class Where { SecondThread, ThisThread };

    explicit PipelinedPass(OutputTarget& target, Where where = Where::SecondThread,
                           Limits limits = {});
    // The memory a pipeline takes beside the pass's own: its thread's stack and its buffers.
    static qint64 footprint(const Limits& limits = {});
    ~PipelinedPass() override { stop(); }
    PipelinedPass(const PipelinedPass&) = delete;
    PipelinedPass& operator=(const PipelinedPass&) = delete;

    // Where the pass writes. Written from this thread while the worker is idle (the final bytes
    // of the list), it goes straight to the target; finish() puts the target's results in place.
    OutputTarget& output() { return gathered_; }
    // The pass the lines go to; set once, before the first line.
    void start(LineSink& pass);

    void bytesLine(std::string_view bytes, qsizetype length) override;
    // Told to the pass on this thread, once the lines before have been through it.
    void inputMark(Mark mark) override;
    void strayByte(char byte) override;
    // Returns once every line handed on has been through the pass and what it wrote has been
    // written; throws what the pass threw. Called before this thread waits for more input, so
    // that nothing already read waits with it.
    void drain();
    // drain(), and the next line is the first of the next input.
    void endInput();
    // Stops the worker, before the pass goes: lines not yet through it are dropped.
    void stop();

private:
    struct Line {
        std::uint32_t end;     // where its bytes end in the batch
        std::uint32_t length;  // in UTF-16 units
        LineEnd how;
    };
    struct Batch {
        explicit Batch(const Limits& limits)
            : bytes(new char[limits.batchBytes]), lines(new Line[limits.batchLines])
        {
        }
        std::unique_ptr<char[]> bytes;
        std::unique_ptr<Line[]> lines;
        std::uint32_t used = 0;
        std::uint32_t count = 0;
    };
    // The pass's writes, gathered for this thread to write.
    class Gathered final : public OutputTarget {
    public:
        explicit Gathered(PipelinedPass& owner) : owner_(owner) {}
        void write(std::string_view bytes) override;
        void finish() override;
        bool keepsPartial() const override;
        int descriptor() const override;

    private:
        PipelinedPass& owner_;
    };
    struct Quit {};  // the worker is to stop

    void work();
    void runBatch();
    void take(std::string_view bytes, qsizetype length, LineEnd how);
    // Hands the filled batch to the worker once it is free.
    void handOver();
    // Writes what the pass has written until the worker is idle; rethrows its failure.
    void waitIdle(std::unique_lock<std::mutex>& lock);
    void writeOut(std::unique_lock<std::mutex>& lock);
    // Waits on cv until ready() holds, spinning a little first; and tells the waiters of a move.
    template <class Ready>
    void await(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Ready ready,
               void (*idle)(PipelinedPass&) = nullptr);
    void moved() { moves_.fetch_add(1, std::memory_order_release); }

    OutputTarget& target_;
    const bool threaded_;
    const Limits limits_;
    Gathered gathered_{*this};
    LineSink* pass_ = nullptr;
    Batch filling_{limits_};
    std::string writing_;
    const std::thread::id caller_ = std::this_thread::get_id();
    const pthread_t callerThread_ = pthread_self();

    // Shared with the worker, under mutex_.
    std::mutex mutex_;
    std::condition_variable workReady_;    // the worker waits for a batch
    std::condition_variable workerMoved_;  // this thread waits for the worker
    std::condition_variable roomMade_;     // the worker waits for its writes to be taken
    Batch working_{limits_};
    // Lines of this input the pass has taken: the worker's while it is busy, this thread's
    // while it is idle.
    qint64 taken_ = 0;
    bool busy_ = false;
    bool quit_ = false;
    std::string pending_;
    std::exception_ptr failure_;
    // Counts the moves above, for a waiter that spins before it sleeps.
    std::atomic<unsigned> moves_{0};
    // Set with failure_, read without the lock at every line.
    std::atomic<bool> failed_{false};

    pthread_t worker_{};
    bool running_ = false;
};
