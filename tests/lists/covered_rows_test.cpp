#include "core/app_error.h"
#include "lists/covered_rows.h"
#include "lists/list_model.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using When = CoveredRows::WhenRowsLeave;

struct CoverCase {
    const char* name;
    When when;
    std::function<void(ListModel&)> change;  // made while the operation yields
    qsizetype row;                           // the row it reads next
    std::optional<bool> reach;               // nullopt: the read fails
    qsizetype countAfresh;
};

class CoveredRowsTable : public ::testing::TestWithParam<CoverCase> {};

// Four rows are counted; the list changes under the operation; then it reads on.
TEST_P(CoveredRowsTable, DecidesWhatALongOperationReadsAfterTheListChanged)
{
    const CoverCase& c = GetParam();
    ListModel list;
    list.addColumn(QStringLiteral("Phone Number(s)"));
    for (const char* text : {"a", "b", "c", "d"})
        list.append(QString::fromLatin1(text));
    CoveredRows covered(list, c.when);
    ASSERT_EQ(covered.count(), 4);
    c.change(list);
    if (c.reach) {
        EXPECT_EQ(covered.reach(c.row), *c.reach);
    } else {
        try {
            covered.reach(c.row);
            ADD_FAILURE() << "the read should fail";
        } catch (const AppError& error) {
            EXPECT_EQ(error.code(), ErrorCode::SubscriptOutOfRange);
        }
    }
    EXPECT_EQ(covered.count(), 4) << "the count taken at the start stays until taken afresh";
    EXPECT_EQ(covered.recount(), c.countAfresh);
}

const auto kAppend = [](ListModel& list) { list.append(QStringLiteral("e")); };
const auto kRemoveFirst = [](ListModel& list) { list.removeAt(0); };
const auto kClear = [](ListModel& list) { list.clear(); };

INSTANTIATE_TEST_SUITE_P(
    Cases, CoveredRowsTable,
    ::testing::Values(CoverCase{"SaveReadsOnAfterAnAppend", When::Fail, kAppend, 3, true, 5},
                      CoverCase{"SaveFailsOnceARowLeft", When::Fail, kRemoveFirst, 0, {}, 3},
                      CoverCase{"SaveFailsAfterAClear", When::Fail, kClear, 0, {}, 0},
                      CoverCase{"RunReadsOnAfterAnAppend", When::Skip, kAppend, 3, true, 5},
                      CoverCase{"RunReadsARowStillThere", When::Skip, kRemoveFirst, 2, true, 3},
                      CoverCase{"RunSkipsARowThatLeft", When::Skip, kRemoveFirst, 3, false, 3},
                      CoverCase{"RunSkipsEveryRowAfterAClear", When::Skip, kClear, 0, false, 0}),
    [](const auto& named) { return std::string(named.param.name); });

}  // namespace
