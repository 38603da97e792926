#include "lists/memory_room.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr qint64 kGiB = qint64(1) << 30;

const QByteArray kMeminfo20G = "MemTotal:       24000000 kB\n"
                               "MemFree:        20000000 kB\n"
                               "MemAvailable:   20971520 kB\n";

struct RoomCase {
    const char* name;
    QByteArray meminfo;
    std::vector<MemoryLimit> limits;
    qint64 room;
    std::optional<qint64> addressSpaceLeft =
        std::nullopt;  // what a ulimit -v leaves, when one is set
};

// The room is the tightest of the system's available memory and every group's limit less
// what the group uses, counting file cache nobody touched lately as free, and of what an
// address-space limit leaves.
TEST(MemoryRoom, TightestOfTheSystemAndEveryControlGroup)
{
    const RoomCase cases[] = {
        {"nothing known", "", {}, -1},
        {"system only", kMeminfo20G, {}, 20 * kGiB},
        {"no limit set", kMeminfo20G, {{"max\n", "123456789\n", ""}}, 20 * kGiB},
        {"v1 unlimited", kMeminfo20G, {{"9223372036854771712\n", "218816512\n", ""}}, 20 * kGiB},
        {"six gigabyte group, one used",
         kMeminfo20G,
         {{"6442450944\n", "1073741824\n", ""}},
         5 * kGiB},
        {"file cache counts as free",
         kMeminfo20G,
         {{"6442450944\n", "4294967296\n",
           "anon 1073741824\nfile 3221225472\ninactive_file "
           "3221225472\nactive_file 0\n"}},
         5 * kGiB},
        {"the tighter of two levels",
         kMeminfo20G,
         {{"max\n", "1\n", ""}, {"8589934592\n", "6442450944\n", ""}, {"4294967296\n", "0\n", ""}},
         2 * kGiB},
        {"a group over its limit has no room",
         kMeminfo20G,
         {{"1073741824\n", "2147483648\n", ""}},
         0},
        {"a group without a system figure", "", {{"2147483648\n", "1073741824\n", ""}}, kGiB},
        {"an address-space limit tighter than the rest",
         kMeminfo20G,
         {{"6442450944\n", "1073741824\n", ""}},
         2 * kGiB,
         2 * kGiB},
        {"an address-space limit already reached", kMeminfo20G, {}, 0, -kGiB},
    };
    for (const RoomCase& c : cases)
        EXPECT_EQ(MemoryRoom(c.meminfo, c.limits, c.addressSpaceLeft), c.room) << c.name;
}

}  // namespace
