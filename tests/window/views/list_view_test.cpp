#include "window/views/list_view.h"

#include <QAccessible>
#include <QHeaderView>
#include <QHelpEvent>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// What the user should see of a long list after each key: the current row, and the first row
// a whole row at a time (the scroll bar's value).
struct Sight {
    int current = 0;
    int first = 0;
};

// The keys of a list, on a model of rows `inView` whole rows to the viewport. A moved current
// row is brought into sight at the nearer edge.
Sight Press(Sight sight, int key, int rows, int inView)
{
    int& row = sight.current;
    switch (key) {
    case Qt::Key_Down: row = std::min(row + 1, rows - 1); break;
    case Qt::Key_Up: row = std::max(row - 1, 0); break;
    // A page is the rows a viewport holds whole.
    case Qt::Key_PageDown: row = std::min(row + inView, rows - 1); break;
    case Qt::Key_PageUp: row = std::max(row - inView, 0); break;
    case Qt::Key_End: row = rows - 1; break;
    case Qt::Key_Home: row = 0; break;
    default: break;
    }
    if (row < sight.first)
        sight.first = row;
    else if (row >= sight.first + inView)
        sight.first = row - inView + 1;
    return sight;
}

// How far down the rows are drawn: whole rows, but at the end of the list the last row sits on
// the bottom edge and the top one is cut.
int Offset(const Sight& sight, int rows, int inView, int rowHeight, int viewportHeight)
{
    if (sight.first == rows - inView)
        return rows * rowHeight - viewportHeight;
    return sight.first * rowHeight;
}

// A list of a hundred thousand rows keeps nothing per row in its view: the table view's hidden
// vertical header holds no sections. The keys, the scroll bar, the pointer, painting, tool tips
// and a screen reader still find every row where a table view puts it.
TEST(ListViewRows, ALongListKeepsNothingPerRowAndEveryRowIsWhereTheUserLooks)
{
    ListView view;
    view.addColumn(QStringLiteral("Result(s)"));
    view.setColumnWidthTwips(0, 3000);
    view.resize(260, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    ListModel& list = view.items();
    constexpr int kRows = 100'000;
    for (int i = 0; i < kRows; ++i)
        list.appendDeferred(QString::number(i));
    list.flushAppends();
    list.setMark(kRows - 2, RowMark::NoRule);
    view.doItemsLayout();
    view.select(0);

    EXPECT_EQ(view.verticalHeader()->count(), 0);
    const int height = view.rowHeight(0);
    const int inView = view.viewport()->height() / height;
    ASSERT_GT(inView, 2);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), kRows - inView);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->tableInterface()->rowCount(), kRows);

    Sight expected;
    for (const int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_PageDown,
                          Qt::Key_Up, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_Up,
                          Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_PageDown}) {
        QTest::keyClick(&view, static_cast<Qt::Key>(key));
        expected = Press(expected, key, kRows, inView);
        SCOPED_TRACE(::testing::Message() << "key " << QKeySequence(key).toString().toStdString()
                                          << ", row " << expected.current);
        EXPECT_EQ(view.selectedIndex(), expected.current);
        EXPECT_EQ(view.verticalScrollBar()->value(), expected.first);
        const int offset = Offset(expected, kRows, inView, height, view.viewport()->height());
        EXPECT_EQ(view.rowAt(0), offset / height);
        const QRect shown = view.visualRect(list.index(expected.current, 0));
        EXPECT_EQ(shown.top(), expected.current * height - offset);
        EXPECT_EQ(view.itemAt(shown.center()), expected.current);
        // The screen reader reads the row and finds it where it shows.
        QAccessibleInterface* cell = table->tableInterface()->cellAt(expected.current, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), QString::number(expected.current));
        EXPECT_EQ(cell->rect().center(), view.viewport()->mapToGlobal(shown.center()));
    }

    // The pointer picks the row under it, and the selected row is painted where it shows.
    view.scrollToRow(kRows / 2);
    const int top = view.rowAt(0);
    EXPECT_EQ(top, kRows / 2 - inView + 1);
    const QPoint third = view.visualRect(list.index(top + 2, 0)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(view.selectedIndex(), top + 2);
    const QImage painted = view.viewport()->grab().toImage();
    const QPoint fourth = view.visualRect(list.index(top + 3, 0)).center();
    EXPECT_NE(painted.pixel(1, third.y()), painted.pixel(1, fourth.y()));
    EXPECT_EQ(painted.pixel(1, fourth.y()), painted.pixel(1, fourth.y() + height));

    // A marked row tells why over the pointer.
    view.scrollToRow(kRows - 1);
    const QPoint marked = view.visualRect(list.index(kRows - 2, 0)).center();
    QHelpEvent help(QEvent::ToolTip, marked, view.viewport()->mapToGlobal(marked));
    QApplication::sendEvent(view.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), RowMarkReason(RowMark::NoRule, 5));
    QToolTip::hideText();
}

}  // namespace
