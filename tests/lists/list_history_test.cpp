#include "lists/list_history.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

constexpr qint64 kMiB = qint64(1) << 20;

struct BudgetCase {
    const char* name;
    qint64 room;  // what the system and the control groups leave; -1 unknown
    qsizetype reservedCharacters;
    int clears;
    size_t kept;
};

// Each list holds one number in storage made ready for many more, as a run's results are, and
// is cleared: the cleared rows hold all of that storage. The history keeps what fits in a
// quarter of the room and what it holds itself, dropping the oldest first.
TEST(ListHistoryBudget, CountsTheStorageRowsHoldAgainstTheRoomLeft)
{
    const BudgetCase cases[] = {
        {"all fit", 1024 * kMiB, kMiB, 4, 4},
        {"unused room of the storage counts", 8 * kMiB, 4 * kMiB, 1, 0},
        {"the oldest go first", 16 * kMiB, 2 * kMiB, 4, 2},
        {"a small room keeps the last only", 5 * kMiB, kMiB, 4, 1},
        {"unknown room: a gibibyte", -1, 100 * kMiB, 12, 10},
    };
    for (const BudgetCase& c : cases) {
        SCOPED_TRACE(c.name);
        ListHistory history([&c] { return c.room; });
        std::deque<ListModel> lists;
        for (int i = 0; i < c.clears; ++i) {
            ListModel& list = lists.emplace_back();
            list.reserve(1, c.reservedCharacters);
            list.append(QString::number(i));
            ListHistory::Step step;
            step.push_back(RowsTaken(list, 0, list.takeRows(0, 1)));
            history.record(std::move(step));
        }
        ASSERT_EQ(history.stepCount(), c.kept);
        if (c.kept == 0)
            continue;
        EXPECT_GE(history.heldBytes(), static_cast<qsizetype>(c.kept) * c.reservedCharacters);
        // The newest clear is the one kept last.
        const ListHistory::Shown shown = history.undo();
        EXPECT_EQ(shown.list, &lists.back());
        EXPECT_EQ(lists.back().text(0), QString::number(c.clears - 1));
    }
}

}  // namespace
