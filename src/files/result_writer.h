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
    // Whether finish() wrote the results over the old file in place: a stop signal taken
    // meanwhile still ends the program as it would (the file is whole), where one taken once a
    // finished file was renamed in changes nothing.
    virtual bool rewroteInPlace() const { return false; }
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
    // For a result written in place: room for at least size bytes of it and kSlack more that
    // may be scribbled on, then the end of what was written there.
    static constexpr std::size_t kSlack = 32;
    char* beginResult(std::size_t size)
    {
        // Room for the line end before it (comma-delimited: whether a line takes its comma is
        // known once the next result comes) or after it (lines).
        const std::size_t needed = size + 3 + kSlack;
        if (buffer_.size() - used_ < needed)
            makeRoom(needed);
        char* at = buffer_.data() + used_;
        if (form_ == Form::CommaDelimited && any_) {
            *at++ = ',';
            *at++ = '\r';
            *at++ = '\n';
        }
        return at;
    }
    void endResult(const char* end)
    {
        char* at = buffer_.data() + (end - buffer_.data());
        if (form_ == Form::Lines)
            *at++ = '\n';
        used_ = static_cast<std::size_t>(at - buffer_.data());
        any_ = true;
        if (lineBuffered_)
            flush();
    }
    // Ends the last line and hands everything to the target.
    void finish();

private:
    // Hands what is held to the target without ending anything.
    void flush();
    void makeRoom(std::size_t needed);

    Form form_;
    OutputTarget& target_;
    std::string buffer_;
    std::size_t used_ = 0;
    bool any_ = false;
    bool lineBuffered_;
};
