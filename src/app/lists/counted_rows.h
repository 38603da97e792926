#pragma once

#include "app/errors/app_error.h"
#include "app/lists/list_model.h"

// The rows a long operation counted when it began. Rows appended later are simply not its
// concern; but once any row has left the list (a row deleted, the list cleared) the rows it
// counted have moved or gone, and reading on would give a shifted or partial result.
class CountedRows {
public:
    explicit CountedRows(const ListModel& list)
        : list_(&list), count_(list.count()), removals_(list.removals())
    {
    }

    qsizetype count() const { return count_; }
    bool intact() const { return list_->removals() == removals_; }
    // Reading a row that is no longer where it was counted fails as any bad row number does.
    void require() const
    {
        if (!intact())
            throw AppError(ErrorCode::SubscriptOutOfRange);
    }

private:
    const ListModel* list_;
    qsizetype count_;
    quint64 removals_;
};
