#pragma once

#include "lists/list_model.h"
#include "lists/memory_room.h"

#include <functional>
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
    // Each returns the row the user should be shown afterwards, or -1 when there is none (the
    // list is empty, or every row changed).
    virtual qsizetype undo() = 0;
    virtual qsizetype redo() = 0;
    // The bytes of list content the change holds in its present state.
    virtual qsizetype heldBytes() const = 0;
    // The rows the change, done, added to its list: negative when it took rows out.
    virtual qsizetype rowsGained() const = 0;

private:
    ListModel* list_;
};

// The rows [from, from + count) were put into the list (appended, typed, loaded, formatted).
std::unique_ptr<ListChange> RowsAdded(ListModel& list, qsizetype from, qsizetype count);
// The rows were taken out of the list at `from` (removed, cleared) and are handed over whole.
std::unique_ptr<ListChange> RowsTaken(ListModel& list, qsizetype from, ListModel::Rows rows);
// Every row of the list was exchanged for new ones at once (the numbers tidied, duplicates
// removed); the rows it had are handed over whole.
std::unique_ptr<ListChange> RowsReplaced(ListModel& list, ListModel::Rows before);
// The main texts of these pairs of rows were exchanged, in this order. Exchanges that leave
// every text where it was (a number dragged back to where it started) are no change: nullptr.
std::unique_ptr<ListChange> TextsExchanged(ListModel& list,
                                           std::vector<std::pair<qsizetype, qsizetype>> exchanges);

// The user's changes to the lists, in order, for undo and redo. A step is one or more changes
// made by one action; it is undone in reverse order. Since every change to the lists is
// recorded, undoing a step always finds its list as the step left it: the rows a step added
// are then still where it put them.
//
// Operations that append across yields (a drop's walk, a load, a run) are steps too, and other
// actions may change their list meanwhile. Whatever is recorded, the rows such an operation
// has appended to the same list until then are recorded first, as a step of their own: the
// history holds every change in the order it was made, whoever records it.
//
// The history keeps at most stepLimit steps, and the list content its steps hold (rows cleared
// or removed, rows whose adding was undone) stays under a quarter of the memory the program
// could have for it: what it holds and the room left besides. The oldest steps go first.
class ListHistory {
public:
    using Step = std::vector<std::unique_ptr<ListChange>>;
    struct Shown {
        ListModel* list = nullptr;
        qsizetype row = -1;
    };
    // The memory the program can still take, in bytes; -1 when it is not known.
    using Room = std::function<qint64()>;

    static constexpr int kStepLimit = 1000;
    // The budget when the room is not known.
    static constexpr qint64 kUnknownRoomBudget = qint64(1) << 30;

    explicit ListHistory(Room room = MemoryRoomNow, int stepLimit = kStepLimit);
    ListHistory(const ListHistory&) = delete;
    ListHistory& operator=(const ListHistory&) = delete;

    // Adds a step, made just now, after the last one done; steps undone before are dropped. An
    // empty step records nothing.
    void record(Step step);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    // Each returns the list and row the step touched last; nothing happens at either end.
    Shown undo();
    Shown redo();

    // An operation is appending across yields: undo and redo must wait for it.
    bool appendingUnderWay() const { return !appending_.empty(); }

    // Drops every step.
    void forget();

    size_t stepCount() const { return steps_.size(); }
    size_t undoableSteps() const { return done_; }
    qsizetype heldBytes() const;

    // The rows an operation appends while it yields, recorded as one step when it ends, or as
    // several when other changes were recorded in between.
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
    // Records the rows that the operations under way had appended to the list when it held
    // `count` rows, each operation's as a step.
    void settle(ListModel& list, qsizetype count);
    void push(Step step);
    void dropOldest();

    std::vector<Step> steps_;
    size_t done_ = 0;
    Room room_;
    qsizetype checkedHeld_ = 0;
    size_t stepLimit_;
    // In the order they began. Operations on one list nest (a later one runs during a yield of
    // an earlier one), so each one's rows come after those of every earlier one.
    std::vector<Appending*> appending_;
};
