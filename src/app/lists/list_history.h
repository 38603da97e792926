#pragma once

#include "app/lists/list_model.h"

#include <memory>
#include <utility>
#include <vector>

// One change a step made to one list, undone and redone in place. Each holds only what its
// state needs: rows that are out of the list move into the change and back, never copied.
class ListChange {
public:
    explicit ListChange(ListModel& list) : list_(&list) {}
    virtual ~ListChange() = default;
    ListChange(const ListChange&) = delete;
    ListChange& operator=(const ListChange&) = delete;

    ListModel& list() const { return *list_; }
    // Each returns the row the user should be shown afterwards, or -1 when the list is empty.
    virtual qsizetype undo() = 0;
    virtual qsizetype redo() = 0;
    // The bytes of list content the change holds in its present state.
    virtual qsizetype heldBytes() const = 0;
    // Where a row numbered before the change stands after it.
    virtual qsizetype rowAfter(qsizetype row) const = 0;
    // The rows the change put into the list, as the first and how many; none for other changes.
    virtual std::pair<qsizetype, qsizetype> rowsPut() const { return {0, 0}; }

private:
    ListModel* list_;
};

// The rows [from, from + count) were put into the list (appended, typed, loaded, formatted).
std::unique_ptr<ListChange> RowsAdded(ListModel& list, qsizetype from, qsizetype count);
// The rows were taken out of the list at `from` (removed, cleared) and are handed over whole.
std::unique_ptr<ListChange> RowsTaken(ListModel& list, qsizetype from, ListModel::Rows rows);
// The main texts of these pairs of rows were exchanged, in this order.
std::unique_ptr<ListChange> TextsExchanged(ListModel& list,
                                           std::vector<std::pair<qsizetype, qsizetype>> exchanges);

// The user's changes to the lists, in order, for undo and redo. A step is one or more changes
// made by one action; it is undone in reverse order. Since every change to the lists is
// recorded, undoing a step always finds its list as the step left it: the rows a step added
// are then still where it put them.
//
// The history keeps at most stepLimit steps, and the list content its steps hold (rows cleared
// or removed, rows whose adding was undone) stays under byteLimit; the oldest steps go first.
class ListHistory {
public:
    using Step = std::vector<std::unique_ptr<ListChange>>;
    struct Shown {
        ListModel* list = nullptr;
        qsizetype row = -1;
    };

    static constexpr int kStepLimit = 1000;
    // A quarter of the machine's physical memory.
    static qsizetype DefaultByteLimit();

    explicit ListHistory(qsizetype byteLimit = DefaultByteLimit(), int stepLimit = kStepLimit);
    ListHistory(const ListHistory&) = delete;
    ListHistory& operator=(const ListHistory&) = delete;

    // Adds a step after the last one done; steps undone before are dropped. An empty step
    // records nothing.
    void record(Step step);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Each returns the list and row the step touched last; nothing happens at either end.
    Shown undo();
    Shown redo();

    // Records what the operations appending to the list have appended so far, each as a step
    // of its own, so that a change about to be made to the list finds them recorded before it.
    void settle(const ListModel& list);
    // An operation is appending across yields: undo and redo must wait for it.
    bool appendingUnderWay() const { return !appending_.empty(); }

    // Drops every step.
    void forget();

    size_t stepCount() const { return steps_.size(); }
    size_t undoableSteps() const { return done_; }
    qsizetype heldBytes() const;

    // The rows an operation appends while it yields, recorded as one step when it ends. A change
    // the user makes to the same list meanwhile (the results cleared while a run is under way)
    // settles the rows appended so far as a step of their own first, so that every step still
    // finds its list as it left it.
    class Appending {
    public:
        Appending(ListHistory& history, ListModel& list);
        ~Appending();
        Appending(const Appending&) = delete;
        Appending& operator=(const Appending&) = delete;
        // Records the rows appended since it began; call once, when the operation has ended.
        void record();

    private:
        friend class ListHistory;
        ListHistory* history_;
        ListModel* list_;
        qsizetype from_;
    };

private:
    void dropOldest();

    std::vector<Step> steps_;
    size_t done_ = 0;
    qsizetype byteLimit_;
    size_t stepLimit_;
    std::vector<Appending*> appending_;
};
