#pragma once

#include <QElapsedTimer>

#include <functional>
#include <initializer_list>
#include <vector>

class Desktop;
class ListModel;

// What every long operation does between rows. About every 16 ms it lets window events run,
// and then puts back what the operation shows while it works (its hourglass), since a handler
// that ran meanwhile may have changed it. About ten times a second it also announces the rows
// the lists have gained: often enough to watch a list grow, while the layout and repaint that
// each announcement brings the views stay a small share of the work.
// Desktops that yield at every row (the test double) get every re-entry point and every row
// announced at once.
class Pacer {
public:
    // Whether the user's clicks and keys run at a yield, or wait until the operation ends.
    enum class Input { Runs, Waits };

    Pacer(Desktop& desktop, std::initializer_list<ListModel*> announced,
          std::function<void()> afterYield = {}, Input input = Input::Runs);

    // Called before each row or cell; returns true when it yielded. Most calls only count.
    bool pace()
    {
        if (!everyRow_ && (++checks_ % kChecksPerClockRead != 0 || slice_.elapsed() < kTimeSliceMs))
            return false;
        return yieldNow();
    }
    // Called between the slices of one long piece of work (a block of a file read and turned
    // into rows, a long row written part by part), each of which takes a millisecond or more:
    // it reads the clock every time.
    bool paceSlice()
    {
        if (!everyRow_ && slice_.elapsed() < kTimeSliceMs)
            return false;
        return yieldNow();
    }

    static constexpr qint64 kTimeSliceMs = 16;
    static constexpr qint64 kAnnounceMs = 100;
    // Reading the clock costs more than a row of most loops; look at it every few calls.
    static constexpr unsigned kChecksPerClockRead = 64;

private:
    bool yieldNow();

    Desktop* desktop_;
    bool everyRow_;
    Input input_;
    std::vector<ListModel*> lists_;
    std::function<void()> afterYield_;
    QElapsedTimer slice_;
    QElapsedTimer announced_;
    unsigned checks_ = 0;
};
