#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

// Why the spool failed: an errno value. Its file is in TemporaryFolder().
struct SpoolFailure {
    int error;
};

// Bytes read from a pipe that must be read again later, in the same order. The first few
// megabytes stay in memory; the rest goes to a temporary file that has no name, so memory stays
// small however much is held and nothing is left behind.
class InputSpool {
public:
    InputSpool() = default;
    ~InputSpool();
    InputSpool(const InputSpool&) = delete;
    InputSpool& operator=(const InputSpool&) = delete;

    // Failures throw SpoolFailure.
    void append(std::string_view bytes);
    // Gives back the bytes appended, in order, up to size at a time; 0 when all are given back,
    // after which the spool is empty and ready for more.
    std::size_t takeBack(char* buffer, std::size_t size);

private:
    void openFile();

    std::string memory_;
    std::size_t memoryTaken_ = 0;
    int fd_ = -1;
    off_t fileHeld_ = 0;
    off_t fileTaken_ = 0;
};
