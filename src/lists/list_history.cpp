#include "lists/list_history.h"

#include <algorithm>
#include <map>
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
    qsizetype rowsGained() const override { return count_; }

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
    qsizetype rowsGained() const override { return -count_; }

private:
    qsizetype from_;
    qsizetype count_;
    std::optional<ListModel::Rows> held_;  // while done
};

// Holds whichever rows are out of the list: those it had while done, the new ones while undone.
class Replaced final : public ListChange {
public:
    Replaced(ListModel& list, ListModel::Rows before)
        : ListChange(list), gained_(list.count() - before.count()), held_(std::move(before))
    {
    }
    qsizetype undo() override
    {
        list().exchangeRows(held_);
        return -1;
    }
    qsizetype redo() override
    {
        list().exchangeRows(held_);
        return -1;
    }
    qsizetype heldBytes() const override { return held_.bytes(); }
    qsizetype rowsGained() const override { return gained_; }

private:
    qsizetype gained_;
    ListModel::Rows held_;
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
        return static_cast<qsizetype>(exchanges_.capacity())
               * static_cast<qsizetype>(sizeof(exchanges_.front()));
    }
    qsizetype rowsGained() const override { return 0; }

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

std::unique_ptr<ListChange> RowsReplaced(ListModel& list, ListModel::Rows before)
{
    return std::make_unique<Replaced>(list, std::move(before));
}

std::unique_ptr<ListChange> TextsExchanged(ListModel& list,
                                           std::vector<std::pair<qsizetype, qsizetype>> exchanges)
{
    // The row each row's text came from; rows not in it kept theirs.
    std::map<qsizetype, qsizetype> cameFrom;
    const auto at = [&cameFrom](qsizetype row) -> qsizetype& {
        return cameFrom.try_emplace(row, row).first->second;
    };
    for (const auto& [a, b] : exchanges)
        std::swap(at(a), at(b));
    // A move that left every row with the text it had (the number dragged back to where it
    // started, or over equal numbers only) is nothing the user could see undone. Each row holds
    // the text it had exactly when it holds the text of the row its own came from.
    const bool unchanged = std::ranges::all_of(cameFrom, [&list](const auto& row) {
        return row.first == row.second || list.text(row.first) == list.text(row.second);
    });
    if (unchanged)
        return nullptr;
    return std::make_unique<Exchanged>(list, std::move(exchanges));
}

ListHistory::ListHistory(Room room, int stepLimit)
    : room_(std::move(room)), stepLimit_(static_cast<size_t>(std::max(stepLimit, 1)))
{
}

void ListHistory::record(Step step)
{
    std::erase_if(step, [](const std::unique_ptr<ListChange>& change) { return !change; });
    if (step.empty())
        return;
    std::vector<ListModel*> lists;
    for (const std::unique_ptr<ListChange>& change : step)
        if (std::ranges::find(lists, &change->list()) == lists.end())
            lists.push_back(&change->list());
    // The step is already made: the rows operations had appended before it are those up to
    // the length the list had then.
    for (ListModel* list : lists) {
        qsizetype before = list->count();
        for (const std::unique_ptr<ListChange>& change : step)
            if (&change->list() == list)
                before -= change->rowsGained();
        settle(*list, before);
    }
    push(std::move(step));
    // What the operations append from now on comes after the step.
    for (Appending* appending : appending_)
        if (std::ranges::find(lists, appending->list_) != lists.end())
            appending->from_ = appending->list_->count();
}

void ListHistory::settle(ListModel& list, qsizetype count)
{
    std::vector<Appending*> open;
    for (Appending* appending : appending_)
        if (appending->list_ == &list)
            open.push_back(appending);
    for (size_t i = 0; i < open.size(); ++i) {
        const qsizetype from = open[i]->from_;
        const qsizetype to = i + 1 < open.size() ? open[i + 1]->from_ : count;
        if (to > from) {
            Step step;
            step.push_back(RowsAdded(list, from, to - from));
            push(std::move(step));
        }
    }
    for (Appending* appending : open)
        appending->from_ = std::max(appending->from_, count);
}

void ListHistory::push(Step step)
{
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    done_ = steps_.size();
    if (steps_.size() > stepLimit_)
        dropOldest();
    // The room is asked for (reading the system's and the control groups' figures) only when
    // the history has come to hold more than when it last asked.
    const qsizetype held = heldBytes();
    if (held > checkedHeld_) {
        const qint64 room = room_ ? room_() : -1;
        const qint64 budget = room < 0 ? kUnknownRoomBudget : (room + held) / 4;
        while (!steps_.empty() && heldBytes() > budget)
            dropOldest();
    }
    checkedHeld_ = heldBytes();
}

void ListHistory::forget()
{
    steps_.clear();
    done_ = 0;
    checkedHeld_ = 0;
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
    history_->settle(*list_, list_->count());
}
