#pragma once

// Room window/errors: the error report and the step guard, which show their failures in a box.

#include "core/app_error.h"

#include <QString>

#include <functional>
#include <new>
#include <set>
#include <utility>

class ErrorBox;

// The step guard. Each step of a guarded procedure runs through step(); a failure is reported
// in the "Application Error" box and the procedure carries on with its next step. A failure
// inside a routine the step called abandons that routine, since the exception leaves it.
//
// One Procedure object lives for one run of its procedure: a report identical to one already
// shown in that run (same description and step) is not shown again, so a failure that repeats
// for every row of a long list costs one box.
class Procedure {
public:
    Procedure(ErrorBox& box, QString location);

    const QString& location() const { return location_; }

    // Runs the body; returns false when it failed (and the failure has been reported).
    template <class Body> bool step(int number, Body&& body)
    {
        try {
            std::forward<Body>(body)();
            return true;
        } catch (const AppError& error) {
            report(number, error.description());
        } catch (const std::bad_alloc&) {
            report(number, ErrorDescription(ErrorCode::OutOfMemory));
        } catch (const std::exception&) {
            report(number, ErrorDescription(ErrorCode::InvalidProcedureCall));
        }
        return false;
    }

    // Shows the next failure even when one like it was shown already: for the files a user
    // names one by one, each of which gets its own report.
    void forgetShown() { shown_.clear(); }

    // Reports a failure known without running a body (for example one remembered from an
    // earlier pass of a loop).
    void report(int number, const QString& description);

    // Runs before each box the procedure shows: a box lets queued calls run, and they may change
    // what the procedure holds views of.
    void setBeforeBox(std::function<void()> beforeBox) { beforeBox_ = std::move(beforeBox); }

private:
    ErrorBox& box_;
    QString location_;
    std::set<std::pair<int, QString>> shown_;
    std::function<void()> beforeBox_;
};
