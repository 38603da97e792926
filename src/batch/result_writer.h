#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where the results go: standard output or a file. Failures throw OutputFailure.
class OutputTarget {
public:
    virtual ~OutputTarget() = default;
    virtual void write(std::string_view bytes) = 0;
    // Everything has been written: put it in place.
    virtual void finish() = 0;
    // Whether what was written stays when the run fails (standard output, a device, a pipe);
    // a file is then left as it was.
    virtual bool keepsPartial() const = 0;
    // The descriptor written straight into, or -1 (a file replaced when complete).
    virtual int descriptor() const { return -1; }
};

struct OutputFailure {
    std::string reason;
};

// Writes the results in blocks, either as "Save As Comma Delimited" writes a one-column list
// (each result followed by a comma on every line but the last, every line ending in CR LF;
// nothing at all for no results) or one result a line, each ending in LF.
class ResultWriter {
public:
    enum class Form { CommaDelimited, Lines };

    // lineBuffered: every result is handed on at once (a terminal shows a trickle as it comes).
    ResultWriter(Form form, OutputTarget& target, bool lineBuffered = false);

    void add(std::string_view result);
    // For a result written in place: room for at least size bytes of it, then the end of what
    // was written there.
    char* beginResult(std::size_t size);
    void endResult(const char* end);
    // Ends the last line and hands everything to the target.
    void finish();

private:
    // Hands what is held to the target without ending anything.
    void flush();

    Form form_;
    OutputTarget& target_;
    std::string buffer_;
    std::size_t used_ = 0;
    bool any_ = false;
    bool lineBuffered_;
};
