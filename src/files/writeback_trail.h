#pragma once

#include <sys/types.h>

#include <memory>

// Has the disk start on the finished stretches of a long file while the rest is still being
// written, and has the system's cache let go of what is on disk behind them: the final sync then
// finds little left to write, and a file of gigabytes does not fill the memory with its cache
// (the pages let go are reused for the next stretches, which on a virtual machine is much faster
// than memory the host must first find).
//
// The work runs on a small thread of its own, so a slow disk never holds up the writer, and it
// stops at the writer's word without being waited for. It takes no signals: those sent to it
// alone it passes on to the writer's thread, within a twentieth of a second unless the disk
// holds it up, and until the writer has said stop. It never waits for the disk itself, so a
// write error is left for the writer's own final sync to report.
class WritebackTrail {
public:
    WritebackTrail() = default;
    ~WritebackTrail() { stop(); }
    WritebackTrail(const WritebackTrail&) = delete;
    WritebackTrail& operator=(const WritebackTrail&) = delete;
    WritebackTrail(WritebackTrail&&) = delete;
    WritebackTrail& operator=(WritebackTrail&&) = delete;

    // Everything up to length has been written to the file behind fd. The first call for a long
    // enough file starts the thread, on a descriptor of its own.
    void reached(int fd, off_t length);
    // Leaves the rest to the writer; returns at once.
    void stop();

    struct Shared;

private:
    void start(int fd);

    std::shared_ptr<Shared> shared_;
    off_t told_ = 0;
    // No thread could be had: nothing more is tried for this writer.
    bool unavailable_ = false;
};
