#include "core/app_error.h"
#include "lists/list_model.h"
#include "window/views/list_view.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace {

QStringList Texts(const ListModel& list)
{
    QStringList out;
    for (qsizetype row = 0; row < list.count(); ++row)
        out << list.text(row);
    return out;
}

class ListModelTest : public ::testing::Test {
protected:
    ListModel list;
    QAbstractItemModelTester tester{&list, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ListModelTest, AppendGoesToTheEndAndReturnsTheNewRow)
{
    list.addColumn(QStringLiteral("Phone Number(s)"));
    EXPECT_EQ(list.append(QStringLiteral("a")), 0);
    EXPECT_EQ(list.append(QStringLiteral("b")), 1);
    EXPECT_EQ(list.append(QString()), 2);
    EXPECT_EQ(Texts(list), (QStringList{"a", "b", ""}));
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.data(list.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("b"));
}

TEST_F(ListModelTest, RemovingItemTwoOfFourMovesTheRestUp)
{
    list.addColumn(QStringLiteral("c"));
    for (const char* text : {"1", "2", "3", "4"})
        list.append(QString::fromLatin1(text));
    list.removeAt(1);
    EXPECT_EQ(Texts(list), (QStringList{"1", "3", "4"}));
    list.removeAt(2);
    list.removeAt(0);
    EXPECT_EQ(Texts(list), (QStringList{"3"}));
}

TEST_F(ListModelTest, SubItemsReadEmptyUntilSetAndMoveWithTheirRow)
{
    list.addColumn(QStringLiteral("length"));
    list.addColumn(QStringLiteral("pattern"));
    const qsizetype first = list.append(QStringLiteral("10"));
    list.setSubItem(first, 1, QStringLiteral("xxx-xxx-xxxx"));
    const qsizetype second = list.append(QStringLiteral("7"));
    EXPECT_EQ(list.subItem(second, 1), QString());
    EXPECT_EQ(list.subItem(second, 5), QString());
    list.setSubItem(second, 1, QStringLiteral("xxx/xxxx"));
    list.removeAt(first);
    EXPECT_EQ(list.text(0), QStringLiteral("7"));
    EXPECT_EQ(list.subItem(0, 1), QStringLiteral("xxx/xxxx"));
    EXPECT_EQ(list.data(list.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("xxx/xxxx"));
}

TEST_F(ListModelTest, ClearingAnEmptyAndAFullListLeavesNothing)
{
    list.addColumn(QStringLiteral("c"));
    list.clear();
    EXPECT_EQ(list.count(), 0);
    for (int i = 0; i < 100; ++i)
        list.append(QString::number(i));
    list.setSubItem(3, 1, QStringLiteral("s"));
    list.clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.rowCount(), 0);
    list.append(QStringLiteral("again"));
    EXPECT_EQ(list.subItem(0, 1), QString());
}

TEST_F(ListModelTest, DeferredAppendsAreAnnouncedAsOneBatch)
{
    list.addColumn(QStringLiteral("c"));
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 500; ++i)
        list.appendDeferred(QString::number(i));
    EXPECT_EQ(list.count(), 500);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(inserted.count(), 0);
    list.flushAppends();
    list.flushAppends();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 0);
    EXPECT_EQ(inserted.at(0).at(2).toInt(), 499);
    EXPECT_EQ(list.rowCount(), 500);
}

TEST_F(ListModelTest, EveryOtherChangeAnnouncesPendingRowsFirst)
{
    list.addColumn(QStringLiteral("c"));
    list.appendDeferred(QStringLiteral("a"));
    list.appendDeferred(QStringLiteral("b"));
    list.removeAt(0);
    EXPECT_EQ(list.rowCount(), 1);
    list.appendDeferred(QStringLiteral("c"));
    list.swapTexts(0, 1);
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(Texts(list), (QStringList{"c", "b"}));
    list.appendDeferred(QStringLiteral("d"));
    list.clear();
    EXPECT_EQ(list.rowCount(), 0);
    // Rows exchanged for fewer, and back: the views know every row that went and came.
    for (const char* text : {"e", "f", "g"})
        list.appendDeferred(QString::fromLatin1(text));
    ListModel::Rows rows;
    rows.text.append(QStringView(u"x"));
    list.exchangeRows(rows);
    EXPECT_EQ(list.rowCount(), 1);
    EXPECT_EQ(Texts(list), (QStringList{"x"}));
    list.exchangeRows(rows);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(Texts(list), (QStringList{"e", "f", "g"}));
}

TEST_F(ListModelTest, EveryRowReportsChecked)
{
    list.addColumn(QStringLiteral("c"));
    list.append(QStringLiteral("a"));
    EXPECT_TRUE(list.checked(0));
    // No check boxes are shown.
    EXPECT_FALSE(list.data(list.index(0, 0), Qt::CheckStateRole).isValid());
}

TEST_F(ListModelTest, RevisionChangesWithEveryChange)
{
    list.addColumn(QStringLiteral("c"));
    quint64 seen = list.revision();
    const auto changed = [&] {
        const bool moved = list.revision() != seen;
        seen = list.revision();
        return moved;
    };
    list.append(QStringLiteral("a"));
    EXPECT_TRUE(changed());
    list.setSubItem(0, 1, QStringLiteral("p"));
    EXPECT_TRUE(changed());
    list.append(QStringLiteral("bb"));
    changed();
    list.swapTexts(0, 1);
    EXPECT_TRUE(changed());
    list.removeAt(0);
    EXPECT_TRUE(changed());
    list.removeAt(0);
    changed();
    EXPECT_EQ(list.text(0 + 0 * list.append(QStringLiteral("x"))), QStringLiteral("x"));
    changed();
    list.clear();
    EXPECT_TRUE(changed());
}

TEST_F(ListModelTest, RowsOutsideTheListAreSubscriptErrors)
{
    list.addColumn(QStringLiteral("c"));
    list.append(QStringLiteral("a"));
    for (const qsizetype row : {qsizetype(-1), qsizetype(1)}) {
        EXPECT_THROW(list.text(row), AppError);
        EXPECT_THROW(list.removeAt(row), AppError);
        EXPECT_THROW(list.setSubItem(row, 1, QString()), AppError);
    }
    EXPECT_THROW(list.columnCaption(1), AppError);
    EXPECT_EQ(Texts(list), (QStringList{"a"}));
}

// Views number rows with int: a list takes rows up to the last number they can give and
// refuses the next with "Overflow", so no row number is ever cut short on its way to a view.
TEST(ListModelRows, StopAtTheLastRowNumberAViewCanGive)
{
    struct Case {
        const char* name;
        qsizetype count;
        qsizetype more;
        bool fits;
    };
    constexpr qsizetype kLast = std::numeric_limits<int>::max();
    const Case cases[] = {
        {"empty", 0, 1, true},
        {"the last row", kLast - 1, 1, true},
        {"one past the last row", kLast, 1, false},
        {"a block past the last row", kLast - 5, 10, false},
        {"a block up to the last row", kLast - 10, 10, true},
    };
    for (const Case& c : cases) {
        bool fits = true;
        try {
            ListModel::requireRowNumbers(c.count, c.more);
        } catch (const AppError& error) {
            EXPECT_EQ(error.code(), ErrorCode::Overflow) << c.name;
            fits = false;
        }
        EXPECT_EQ(fits, c.fits) << c.name;
    }
    EXPECT_EQ(ListModel::kMaxRows, kLast);
}

TEST_F(ListModelTest, ColumnsKeepTheirOrderAndCaptions)
{
    list.addColumn(QStringLiteral("If length of phone number is this"));
    list.addColumn(QStringLiteral("then format like this"));
    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.columnCaption(1), QStringLiteral("then format like this"));
    EXPECT_EQ(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("If length of phone number is this"));
}

TEST(ListViewTest, SelectsScrollsAndFindsTheRowUnderAPoint)
{
    ListView view;
    QAbstractItemModelTester tester(&view.items(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    view.resize(300, 120);
    view.addColumn(QStringLiteral("Phone Number(s)"));
    view.setColumnWidthTwips(0, 3000);
    EXPECT_EQ(view.columnWidth(0), 200);
    EXPECT_EQ(view.columnWidthTwips(0), 3000);
    EXPECT_EQ(view.selectedIndex(), -1);
    for (int i = 0; i < 50; ++i)
        view.items().append(QString::number(i));
    view.show();
    view.select(40);
    EXPECT_EQ(view.selectedIndex(), 40);
    view.scrollToRow(40);
    const QRect row40 = view.visualRect(view.items().index(40, 0));
    EXPECT_TRUE(view.viewport()->rect().contains(row40.center()));
    EXPECT_EQ(view.itemAt(row40.center()), 40);
    EXPECT_EQ(view.itemAt(QPoint(250, row40.center().y())), -1);  // right of the only column
    EXPECT_THROW(view.select(50), AppError);
    EXPECT_FALSE(view.dragEnabled());
}

// A view is given the beginning of a long text and an ellipsis, so a row of millions of
// characters repaints as fast as a short one; the accessibility text of the cell is the same.
// Everything that reads the list (the run, the writers, the copy key) gets the whole text.
TEST(ListViewTest, LongTextsShowTheirBeginningAndStayWholeBehind)
{
    const qsizetype limit = ListModel::kShownCharacters;
    const QString ellipsis(QChar(0x2026));
    const QString pair = QString::fromUtf8("\xf0\x9f\x93\x9e");
    struct Case {
        const char* name;
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {"short", QStringLiteral("6034343563"), QStringLiteral("6034343563")},
        {"at_the_limit", QString(limit, u'7'), QString(limit, u'7')},
        {"eight_bit_megabyte", QString(1'000'000, u'7'), QString(limit, u'7') + ellipsis},
        {"wide_megabyte", QString(1'000'000, u'\u03b1'), QString(limit, u'\u03b1') + ellipsis},
        {"pair_across_the_cut", QString(limit - 1, u'a') + pair + QString(9, u'b'),
         QString(limit - 1, u'a') + ellipsis},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListView view;
        view.addColumn(QStringLiteral("If length of phone number is this"));
        view.addColumn(QStringLiteral("then format like this"));
        view.resize(400, 200);
        view.show();
        ListModel& list = view.items();
        const qsizetype row = list.append(c.text);
        list.setSubItem(row, 1, c.text);
        for (int column = 0; column < 2; ++column) {
            const QModelIndex cell = list.index(static_cast<int>(row), column);
            EXPECT_EQ(list.data(cell, Qt::DisplayRole).toString(), c.shown);
            QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view);
            ASSERT_NE(table, nullptr);
            ASSERT_NE(table->tableInterface(), nullptr);
            QAccessibleInterface* accessible = table->tableInterface()->cellAt(0, column);
            ASSERT_NE(accessible, nullptr);
            EXPECT_EQ(accessible->text(QAccessible::Name), c.shown);
            QString whole;
            list.appendCell(whole, row, column);
            EXPECT_EQ(whole, c.text);
        }
        EXPECT_EQ(list.text(row), c.text);
        view.setCurrentIndex(list.index(static_cast<int>(row), 1));
        QTest::keySequence(&view, QKeySequence::Copy);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.text);
    }
}

}  // namespace
