#include "files/load_room.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

struct FitCase {
    const char* name;
    qint64 fileSize;
    qint64 room;
    bool fits;
};

// A file fits when the rows it becomes, about a third more than the file, and some room for
// the window still fit.
TEST(LoadRoom, LoadFitsOnlyWithRoomForTheRowsAndTheWindow)
{
    const FitCase cases[] = {
        {"unknown room never refuses", qint64(1) << 40, -1, true},
        {"a small file", 12 * kMiB, 20 * kGiB, true},
        {"three gigabytes in six", 3 * kGiB, 6 * kGiB, true},
        {"three gigabytes in three", 3 * kGiB, 3 * kGiB, false},
        {"a terabyte of holes", qint64(1) << 40, 20 * kGiB, false},
        {"an empty file with no room", 0, 0, false},
        {"the largest file there is", std::numeric_limits<qint64>::max(), 20 * kGiB, false},
    };
    for (const FitCase& c : cases)
        EXPECT_EQ(LoadFits(c.fileSize, c.room), c.fits) << c.name;
}

}  // namespace
