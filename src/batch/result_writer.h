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

    ResultWriter(Form form, OutputTarget& target);

    void add(std::string_view result);
    // Ends the last line and hands everything to the target.
    void finish();

private:
    void flushIfFull();

    Form form_;
    OutputTarget& target_;
    std::string buffer_;
    bool any_ = false;
};
