#pragma once

#include <QByteArray>

#include <chrono>

// A line on a terminal's standard error telling how far a large input has been read, for
// inputs over about 100 MB; nothing at all when standard error is not a terminal, or is the
// terminal the results are written to.
class ProgressLine {
public:
    // name: as messages show it; total: the input's size, or -1 when it is not known (a pipe);
    // results: the descriptor the results are written to, or -1 for a file replaced at the end.
    ProgressLine(QByteArray name, qint64 total, int results);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(qint64 done);

private:
    QByteArray name_;
    qint64 total_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_;
};
