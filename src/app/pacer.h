#pragma once

#include <QElapsedTimer>

#include <functional>
#include <initializer_list>
#include <vector>

class Desktop;
class ListModel;

// What every long operation does between rows. About every 16 ms it announces the rows the
// lists have gained, lets window events run, and then puts back what the operation shows
// while it works (its hourglass), since a handler that ran meanwhile may have changed it.
// Desktops that yield at every row (the test double) get every re-entry point.
class Pacer {
public:
    Pacer(Desktop& desktop, std::initializer_list<ListModel*> announced,
          std::function<void()> afterYield = {});

    Desktop& desktop() const { return *desktop_; }

    // Called before each row or cell; returns true when it yielded.
    bool pace();

    static constexpr qint64 kTimeSliceMs = 16;
    // Reading the clock costs more than a row of most loops; look at it every few calls.
    static constexpr unsigned kChecksPerClockRead = 16;

private:
    Desktop* desktop_;
    std::vector<ListModel*> announced_;
    std::function<void()> afterYield_;
    QElapsedTimer slice_;
    unsigned checks_ = 0;
};
