#pragma once

#include "core/app_error.h"
#include "lists/list_model.h"

// The rows a long operation covers, decided in one place. It covers the rows the list held
// when it began (or when it last took the count afresh); rows appended later are not its
// concern. Rows that leave the list meanwhile are the interesting case, and each operation says
// which of two things it wants:
//  - Fail: the rows it counted have moved or gone, so reading on would give a shifted or
//    partial result; every later read fails as a bad row number does (the saves, the copy);
//  - Skip: a row that is no longer in the list is passed over (the formatting run).
class CoveredRows {
public:
    enum class WhenRowsLeave { Fail, Skip };

    CoveredRows(const ListModel& list, WhenRowsLeave whenRowsLeave)
        : list_(&list), whenRowsLeave_(whenRowsLeave), count_(list.count()),
          removals_(list.removals())
    {
    }

    qsizetype count() const { return count_; }
    // Takes the count afresh: the rows appended since are covered from here on.
    qsizetype recount()
    {
        count_ = list_->count();
        return count_;
    }
    // Whether every row counted is still where it was.
    bool intact() const { return list_->removals() == removals_; }

    // Before reading row r: true when it may be read, false when it is to be skipped; throws
    // "Subscript out of range" when the operation fails on rows that left.
    bool reach(qsizetype r) const
    {
        if (whenRowsLeave_ == WhenRowsLeave::Skip)
            return r < list_->count();
        if (!intact())
            throw AppError(ErrorCode::SubscriptOutOfRange);
        return true;
    }

private:
    const ListModel* list_;
    WhenRowsLeave whenRowsLeave_;
    qsizetype count_;
    quint64 removals_;
};
