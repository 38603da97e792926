#include "app/lists/list_history.h"

#include <unistd.h>

#include <algorithm>
#include <optional>

namespace {

// The last row of a list, or -1 when it is empty.
qsizetype LastRow(const ListModel& list)
{
    return list.count() - 1;
}

class Added final : public ListChange {
public:
    Added(ListModel& list, qsizetype from, qsizetype count)
        : ListChange(list), from_(from), count_(count)
    {
    }
    qsizetype undo() override
    {
        held_ = list().takeRows(from_, from_ + count_);
        return std::min(from_, LastRow(list()));
    }
    qsizetype redo() override
    {
        list().putRows(from_, std::move(*held_));
        held_.reset();
        return from_ + count_ - 1;
    }
    qsizetype heldBytes() const override { return held_ ? held_->bytes() : 0; }
    qsizetype rowAfter(qsizetype row) const override { return row >= from_ ? row + count_ : row; }
    std::pair<qsizetype, qsizetype> rowsPut() const override { return {from_, count_}; }

private:
    qsizetype from_;
    qsizetype count_;
    std::optional<ListModel::Rows> held_;  // while undone
};

class Taken final : public ListChange {
public:
    Taken(ListModel& list, qsizetype from, ListModel::Rows rows)
        : ListChange(list), from_(from), count_(rows.count()), held_(std::move(rows))
    {
    }
    qsizetype undo() override
    {
        list().putRows(from_, std::move(*held_));
        held_.reset();
        return from_;
    }
    qsizetype redo() override
    {
        held_ = list().takeRows(from_, from_ + count_);
        return std::min(from_, LastRow(list()));
    }
    qsizetype heldBytes() const override { return held_ ? held_->bytes() : 0; }
    qsizetype rowAfter(qsizetype row) const override
    {
        if (row >= from_ + count_)
            return row - count_;
        return std::min(row, from_);
    }

private:
    qsizetype from_;
    qsizetype count_;
    std::optional<ListModel::Rows> held_;  // while done
};

class Exchanged final : public ListChange {
public:
    Exchanged(ListModel& list, std::vector<std::pair<qsizetype, qsizetype>> exchanges)
        : ListChange(list), exchanges_(std::move(exchanges))
    {
    }
    qsizetype undo() override
    {
        for (size_t i = exchanges_.size(); i-- > 0;)
            list().swapTexts(exchanges_[i].first, exchanges_[i].second);
        return exchanges_.front().first;
    }
    qsizetype redo() override
    {
        for (const auto& [a, b] : exchanges_)
            list().swapTexts(a, b);
        return exchanges_.back().second;
    }
    qsizetype heldBytes() const override
    {
        return static_cast<qsizetype>(exchanges_.size())
               * static_cast<qsizetype>(sizeof(exchanges_.front()));
    }
    qsizetype rowAfter(qsizetype row) const override { return row; }

private:
    std::vector<std::pair<qsizetype, qsizetype>> exchanges_;
};

}  // namespace

std::unique_ptr<ListChange> RowsAdded(ListModel& list, qsizetype from, qsizetype count)
{
    return std::make_unique<Added>(list, from, count);
}

std::unique_ptr<ListChange> RowsTaken(ListModel& list, qsizetype from, ListModel::Rows rows)
{
    return std::make_unique<Taken>(list, from, std::move(rows));
}

std::unique_ptr<ListChange> TextsExchanged(ListModel& list,
                                           std::vector<std::pair<qsizetype, qsizetype>> exchanges)
{
    return std::make_unique<Exchanged>(list, std::move(exchanges));
}

qsizetype ListHistory::DefaultByteLimit()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return qsizetype(1) << 30;
    return static_cast<qsizetype>(pages) * pageSize / 4;
}

ListHistory::ListHistory(qsizetype byteLimit, int stepLimit)
    : byteLimit_(byteLimit), stepLimit_(static_cast<size_t>(std::max(stepLimit, 1)))
{
}

void ListHistory::record(Step step)
{
    std::erase_if(step, [](const std::unique_ptr<ListChange>& change) { return !change; });
    if (step.empty())
        return;
    // Rows taken out of a list while an operation appends to it move its first row. Rows another
    // action appended to it meanwhile come after the operation's rows so far, which become a
    // step of their own first; the operation's own go on after them.
    std::vector<Step> steps;
    for (Appending* appending : appending_)
        for (const std::unique_ptr<ListChange>& change : step) {
            if (&change->list() != appending->list_)
                continue;
            const auto [put, count] = change->rowsPut();
            if (count > 0 && put > appending->from_) {
                Step before;
                before.push_back(
                    RowsAdded(*appending->list_, appending->from_, put - appending->from_));
                steps.push_back(std::move(before));
                appending->from_ = put + count;
            } else {
                appending->from_ = change->rowAfter(appending->from_);
            }
        }
    steps.push_back(std::move(step));
    steps_.resize(done_);
    for (Step& each : steps)
        steps_.push_back(std::move(each));
    done_ = steps_.size();
    while (!steps_.empty() && (steps_.size() > stepLimit_ || heldBytes() > byteLimit_))
        dropOldest();
}

void ListHistory::settle(const ListModel& list)
{
    const std::vector<Appending*> open = appending_;
    for (Appending* appending : open)
        if (appending->list_ == &list)
            appending->record();
}

void ListHistory::forget()
{
    steps_.clear();
    done_ = 0;
}

void ListHistory::dropOldest()
{
    steps_.erase(steps_.begin());
    done_ = done_ > 0 ? done_ - 1 : 0;
}

ListHistory::Shown ListHistory::undo()
{
    if (!canUndo())
        return {};
    Step& step = steps_[--done_];
    Shown shown;
    for (size_t i = step.size(); i-- > 0;)
        shown = {&step[i]->list(), step[i]->undo()};
    return shown;
}

ListHistory::Shown ListHistory::redo()
{
    if (!canRedo())
        return {};
    Step& step = steps_[done_++];
    Shown shown;
    for (const std::unique_ptr<ListChange>& change : step)
        shown = {&change->list(), change->redo()};
    return shown;
}

qsizetype ListHistory::heldBytes() const
{
    qsizetype total = 0;
    for (const Step& step : steps_)
        for (const std::unique_ptr<ListChange>& change : step)
            total += change->heldBytes();
    return total;
}

ListHistory::Appending::Appending(ListHistory& history, ListModel& list)
    : history_(&history), list_(&list), from_(list.count())
{
    history_->appending_.push_back(this);
}

ListHistory::Appending::~Appending()
{
    std::erase(history_->appending_, this);
}

void ListHistory::Appending::record()
{
    const qsizetype to = list_->count();
    if (to <= from_)
        return;
    Step step;
    step.push_back(RowsAdded(*list_, from_, to - from_));
    history_->record(std::move(step));
    from_ = to;
}
